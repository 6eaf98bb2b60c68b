// "Configuración de Tarvolin": the program settings in five tabs, "Imagen"
// (frame rate), "GBA Entrada" (the ten button keys and the three shortcut
// keys), "Editor" (colours and font), "Red" (the server account) and
// "Cadenas" (the quick-add prefix). The window edits a copy: "OK" hands it
// back, "Cancelar" forgets it.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "project/program_settings.h"

class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace tarvolin::shell {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(const project::ProgramSettings& settings, QWidget* parent = nullptr);

  // The settings as edited.
  const project::ProgramSettings& settings() const { return edited_; }
  QTabWidget* tabs() const { return tabs_; }

  // Asks for one key with the prompt; 0 when cancelled. A window
  // "Asignar Tecla..." by default; tests give their own.
  void setKeyAsker(std::function<int(const QString& prompt)> asker) { askKey_ = std::move(asker); }
  // Assigns a key to button 0..9 or to shortcut 10..12 (comment, block
  // start, block end), asking for it.
  void assignKey(int slot);
  // The name shown for a slot's key.
  QString keyText(int slot) const;

 private:
  QWidget* buildImage();
  QWidget* buildInput();
  QWidget* buildEditor();
  QWidget* buildNetwork();
  QWidget* buildStrings();
  void takeValues();
  int* keySlot(int slot);
  void showColour(int index);

  project::ProgramSettings edited_;
  QTabWidget* tabs_ = nullptr;
  QSpinBox* rate_ = nullptr;
  bool rateTouched_ = false;
  std::array<QLabel*, 13> keyNames_{};
  std::array<QPushButton*, 9> colours_{};
  QFontComboBox* fontName_ = nullptr;
  QSpinBox* fontSize_ = nullptr;
  QLineEdit* server_ = nullptr;
  QSpinBox* port_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* prefix_ = nullptr;
  std::function<int(const QString&)> askKey_;
};

}  // namespace tarvolin::shell
