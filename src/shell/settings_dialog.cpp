#include "shell/settings_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/key_assign_dialog.h"
#include "shell/key_table.h"

namespace tarvolin::shell {
namespace {

// The ten buttons in the pad's order, then the three shortcut keys.
const char* const kKeyLabels[13] = {
    "Botón A", "Botón B", "Select", "Start", "Derecha", "Izquierda", "Arriba", "Abajo",
    "Hombro derecho", "Hombro izquierdo", "Comentar", "Inicio de bloque", "Fin de bloque"};

const char* const kColourLabels[9] = {"Texto", "Fondo", "Números", "Comandos", "Atributos",
                                      "Variables", "Comentarios", "Funciones", "Recursos"};

std::uint32_t* colourSlot(project::ProgramSettings& s, int index) {
  std::uint32_t* fields[9] = {&s.editorColDefaultFg,        &s.editorColDefaultBg,
                             &s.editorColDefaultNumbers,   &s.editorColDefaultKeyword,
                             &s.editorColDefaultAttribute, &s.editorColDefaultVariable,
                             &s.editorColDefaultComments,  &s.editorColDefaultFunctions,
                             &s.editorColDefaultAssets};
  return fields[index];
}

// Colours are stored as red | green << 8 | blue << 16.
QColor toColour(std::uint32_t c) { return QColor(c & 255, (c >> 8) & 255, (c >> 16) & 255); }
std::uint32_t fromColour(const QColor& c) {
  return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

}  // namespace

SettingsDialog::SettingsDialog(const project::ProgramSettings& settings, QWidget* parent)
    : QDialog(parent), edited_(settings) {
  setObjectName("programSettings");
  setWindowTitle(QStringLiteral("Configuración de Tarvolin"));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildImage(), QStringLiteral("Imagen"));
  tabs_->addTab(buildInput(), QStringLiteral("GBA Entrada"));
  tabs_->addTab(buildEditor(), QStringLiteral("Editor"));
  tabs_->addTab(buildNetwork(), QStringLiteral("Red"));
  tabs_->addTab(buildStrings(), QStringLiteral("Cadenas"));
  layout->addWidget(tabs_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    takeValues();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  askKey_ = [this](const QString& prompt) {
    KeyAssignDialog dialog(prompt, this);
    return dialog.exec() == QDialog::Accepted ? dialog.virtualKey() : 0;
  };
}

QWidget* SettingsDialog::buildImage() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  rate_ = new QSpinBox(page);
  rate_->setObjectName("displayRate");
  rate_->setRange(5, 100);
  rate_->setValue(std::clamp(edited_.displayRate, 5, 100));
  // A stored rate outside 5..100 (which plays at 16 ms a frame) stays as it
  // is unless the user changes it here.
  connect(rate_, &QSpinBox::valueChanged, this, [this] { rateTouched_ = true; });
  form->addRow(QStringLiteral("Cuadros por segundo (GBA = 60)"), rate_);
  return page;
}

int* SettingsDialog::keySlot(int slot) {
  project::ProgramSettings& s = edited_;
  int* fields[13] = {&s.controlButtonA,       &s.controlButtonB,        &s.controlSelect,
                    &s.controlStart,         &s.controlPadRight,       &s.controlPadLeft,
                    &s.controlPadUp,         &s.controlPadDown,        &s.controlShoulderRight,
                    &s.controlShoulderLeft,  &s.keymapSemicolon,       &s.keymapLeftBracket,
                    &s.keymapRightBracket};
  return slot >= 0 && slot < 13 ? fields[slot] : nullptr;
}

QString SettingsDialog::keyText(int slot) const {
  int* key = const_cast<SettingsDialog*>(this)->keySlot(slot);
  if (!key) return {};
  const QString name = virtualKeyName(*key);
  return name.isEmpty() ? QStringLiteral("(ninguna)") : name;
}

QWidget* SettingsDialog::buildInput() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* buttons = new QGroupBox(QStringLiteral("Botones de la GBA"), page);
  auto* shortcuts = new QGroupBox(QStringLiteral("Teclas del editor (Ctrl + tecla)"), page);
  const auto grids = std::array<QGridLayout*, 2>{new QGridLayout(buttons), new QGridLayout(shortcuts)};
  for (int slot = 0; slot < 13; ++slot) {
    QGridLayout* grid = grids[slot < 10 ? 0 : 1];
    const int row = slot < 10 ? slot : slot - 10;
    QWidget* owner = slot < 10 ? buttons : shortcuts;
    grid->addWidget(new QLabel(QString::fromUtf8(kKeyLabels[slot]), owner), row, 0);
    keyNames_[static_cast<std::size_t>(slot)] = new QLabel(keyText(slot), owner);
    keyNames_[static_cast<std::size_t>(slot)]->setFrameShape(QFrame::StyledPanel);
    keyNames_[static_cast<std::size_t>(slot)]->setMinimumWidth(110);
    grid->addWidget(keyNames_[static_cast<std::size_t>(slot)], row, 1);
    auto* assign = new QPushButton(QStringLiteral("Asignar Tecla..."), owner);
    assign->setObjectName(QStringLiteral("assign%1").arg(slot));
    connect(assign, &QPushButton::clicked, this, [this, slot] { assignKey(slot); });
    grid->addWidget(assign, row, 2);
  }
  layout->addWidget(buttons);
  layout->addWidget(shortcuts);
  layout->addStretch();
  return page;
}

void SettingsDialog::assignKey(int slot) {
  int* key = keySlot(slot);
  if (!key) return;
  static const char* const kPrompts[3] = {"Presione la tecla para el Comentario",
                                          "Presione la tecla para el Inicio de un Bloque",
                                          "Presione la tecla para el Fin de un Bloque"};
  const QString prompt =
      QString::fromUtf8(slot < 10 ? "Presione una Tecla" : kPrompts[slot - 10]);
  const int chosen = askKey_ ? askKey_(prompt) : 0;
  if (chosen == 0 || virtualKeyName(chosen).isEmpty()) return;
  *key = chosen;
  keyNames_[static_cast<std::size_t>(slot)]->setText(keyText(slot));
}

void SettingsDialog::showColour(int index) {
  const QColor c = toColour(*colourSlot(edited_, index));
  colours_[static_cast<std::size_t>(index)]->setStyleSheet(
      QStringLiteral("background-color: %1; min-width: 48px;").arg(c.name()));
  colours_[static_cast<std::size_t>(index)]->setToolTip(
      QStringLiteral("%1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue()));
}

QWidget* SettingsDialog::buildEditor() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* colours = new QGroupBox(QStringLiteral("Colores"), page);
  auto* grid = new QGridLayout(colours);
  for (int i = 0; i < 9; ++i) {
    auto* button = new QPushButton(colours);
    button->setObjectName(QStringLiteral("colour%1").arg(i));
    colours_[static_cast<std::size_t>(i)] = button;
    showColour(i);
    connect(button, &QPushButton::clicked, this, [this, i] {
      const QColor chosen = QColorDialog::getColor(toColour(*colourSlot(edited_, i)), this,
                                                   QString::fromUtf8(kColourLabels[i]));
      if (!chosen.isValid()) return;
      *colourSlot(edited_, i) = fromColour(chosen);
      showColour(i);
    });
    grid->addWidget(new QLabel(QString::fromUtf8(kColourLabels[i]), colours), i / 3, (i % 3) * 2);
    grid->addWidget(button, i / 3, (i % 3) * 2 + 1);
  }
  auto* font = new QGroupBox(QStringLiteral("Letra"), page);
  auto* form = new QFormLayout(font);
  fontName_ = new QFontComboBox(font);
  fontName_->setEditable(true);
  fontName_->setCurrentText(QString::fromStdString(edited_.editorFontName));
  fontSize_ = new QSpinBox(font);
  fontSize_->setRange(4, 72);
  fontSize_->setValue(std::clamp(edited_.editorFontSize, 4, 72));
  form->addRow(QStringLiteral("Nombre"), fontName_);
  form->addRow(QStringLiteral("Tamaño"), fontSize_);
  layout->addWidget(colours);
  layout->addWidget(font);
  layout->addStretch();
  return page;
}

QWidget* SettingsDialog::buildNetwork() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  server_ = new QLineEdit(QString::fromStdString(edited_.networkServerAdd), page);
  port_ = new QSpinBox(page);
  port_->setRange(0, 65535);
  port_->setValue(std::clamp(edited_.networkServerPort, 0, 65535));
  user_ = new QLineEdit(QString::fromStdString(edited_.networkUsername), page);
  password_ = new QLineEdit(QString::fromStdString(edited_.networkPassword), page);
  password_->setEchoMode(QLineEdit::Password);
  form->addRow(QStringLiteral("Dirección"), server_);
  form->addRow(QStringLiteral("Puerto"), port_);
  form->addRow(QStringLiteral("Usuario"), user_);
  form->addRow(QStringLiteral("Contraseña"), password_);
  return page;
}

QWidget* SettingsDialog::buildStrings() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  prefix_ = new QLineEdit(QString::fromStdString(edited_.qaddStringPrefix), page);
  prefix_->setObjectName("prefix");
  form->addRow(QStringLiteral("Prefijo"), prefix_);
  return page;
}

void SettingsDialog::takeValues() {
  if (rateTouched_) edited_.displayRate = rate_->value();
  const std::string font = fontName_->currentText().trimmed().toStdString();
  if (!font.empty()) edited_.editorFontName = font;
  if (fontSize_->value() != std::clamp(edited_.editorFontSize, 4, 72))
    edited_.editorFontSize = fontSize_->value();
  edited_.networkServerAdd = server_->text().trimmed().toStdString();
  if (port_->value() != std::clamp(edited_.networkServerPort, 0, 65535))
    edited_.networkServerPort = port_->value();
  edited_.networkUsername = user_->text().toStdString();
  edited_.networkPassword = password_->text().toStdString();
  edited_.qaddStringPrefix = prefix_->text().toStdString();
}

}  // namespace tarvolin::shell
