#include "setup_ui/setup_windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QTranslator>
#include <QVBoxLayout>

#include "setup/setup_texts.h"

// Resources of a static library are registered by hand, outside any namespace.
static void registerSetupResources() { Q_INIT_RESOURCE(setup_ui); }

namespace tarvolin::setup_ui {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The nearest folder of `path` that exists, else `fallback`.
QString existingFolder(const QString& path, const QString& fallback) {
  QString p = path.trimmed();
  if (p.startsWith("~/") || p == "~") p = QDir::homePath() + p.mid(1);
  if (p.isEmpty()) return fallback;
  QFileInfo info(QDir(fallback).absoluteFilePath(p));
  while (!info.isDir()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) return fallback;
    info = QFileInfo(parent);
  }
  return info.absoluteFilePath();
}

QLabel* titleLabel(const QString& text) {
  auto* label = new QLabel(text);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 1.3);
  font.setBold(true);
  label->setFont(font);
  return label;
}

// The dialog's buttons, right-aligned.
QHBoxLayout* buttonRow(QPushButton* first, QPushButton* second) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(first);
  row->addWidget(second);
  return row;
}

// The icon and title row at the top of both dialogs.
QHBoxLayout* headerRow(const QString& title) {
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(installerIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  row->addWidget(icon);
  row->addWidget(titleLabel(title), 1);
  return row;
}

}  // namespace

QIcon installerIcon() {
  static const bool registered = (registerSetupResources(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/setup_ui/install.svg"));
}

void useSpanishQtTexts() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QStringLiteral("qtbase_es"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
}

bool MessageBoxPrompts::askYesNo(std::string_view caption, std::string_view text) {
  QMessageBox box(QMessageBox::Question, qs(caption), qs(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sí"));
  box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::tell(std::string_view caption, std::string_view text,
                             setup::MessageIcon icon, std::string_view detail) {
  const QMessageBox::Icon shown = icon == setup::MessageIcon::Error         ? QMessageBox::Critical
                                  : icon == setup::MessageIcon::Exclamation ? QMessageBox::Warning
                                                                            : QMessageBox::Information;
  QMessageBox box(shown, qs(caption), qs(text), QMessageBox::Ok, parent_);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
  if (!detail.empty()) box.setInformativeText(qs(detail));
  box.exec();
}

ProgramWindow::ProgramWindow(const QString& title) {
  setWindowTitle(title);
  setWindowIcon(installerIcon());
  resize(640, 480);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
  setPalette(grey);
  setAutoFillBackground(true);
}

InstallDialog::InstallDialog(setup::InstallRequest request, setup::SetupPrompts& prompts,
                             QWidget* parent)
    : QDialog(parent), request_(std::move(request)), prompts_(prompts) {
  setObjectName(QStringLiteral("DIALOG_INSTALL"));
  setWindowTitle(qs(setup::kInstallerTitle));
  setWindowIcon(installerIcon());
  chooser_ = [](QWidget* owner, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, qs(setup::kBrowseTitle), start,
                                             QFileDialog::ShowDirsOnly);
  };

  auto* intro = new QLabel(QStringLiteral(
      "Este programa copia Tarvolin Studio en la carpeta de instalación, agrega la carpeta "
      "«Halvergen Entertainment» al menú de aplicaciones y hace que los archivos de proyecto "
      "(.tvp) se abran con Tarvolin."));
  intro->setWordWrap(true);

  folderEdit_ = new QLineEdit(QString::fromStdString(request_.installFolder));
  folderEdit_->setObjectName(QStringLiteral("folderEdit"));
  folderEdit_->setMinimumWidth(380);
  browse_ = new QPushButton(QStringLiteral("&Examinar..."));
  install_ = new QPushButton(QStringLiteral("&Instalar"));
  install_->setDefault(true);
  close_ = new QPushButton(QStringLiteral("&Cerrar"));

  auto* folderLabel = new QLabel(QStringLiteral("Carpeta de instalación:"));
  folderLabel->setBuddy(folderEdit_);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folderEdit_, 1);
  folderRow->addWidget(browse_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(headerRow(qs(setup::kInstallerTitle)));
  layout->addWidget(intro);
  layout->addSpacing(8);
  layout->addWidget(folderLabel);
  layout->addLayout(folderRow);
  layout->addStretch(1);
  layout->addLayout(buttonRow(install_, close_));

  // Every edit replaces the installation folder with the box's text.
  connect(folderEdit_, &QLineEdit::textChanged, this,
          [this](const QString& text) { request_.installFolder = text.toStdString(); });
  connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
  connect(install_, &QPushButton::clicked, this, [this] { install(); });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void InstallDialog::browse() {
  const QString start =
      existingFolder(folderEdit_->text(), QString::fromStdString(request_.startFolder));
  const QString chosen = chooser_(this, start);
  if (chosen.isEmpty()) return;
  folderEdit_->setText(QDir::toNativeSeparators(chosen));
}

void InstallDialog::install() {
  attempted_ = true;
  outcome_ = setup::runInstallation(request_, prompts_);
  if (outcome_ == setup::InstallOutcome::Complete) accept();
}

UninstallDialog::UninstallDialog(setup::UninstallRequest request, setup::SetupPrompts& prompts,
                                 QWidget* parent)
    : QDialog(parent), request_(std::move(request)), prompts_(prompts) {
  setObjectName(QStringLiteral("DIALOG_UNINSTALL"));
  setWindowTitle(qs(setup::kUninstallerTitle));
  setWindowIcon(installerIcon());

  auto* warning = new QLabel(qs(setup::kUninstallWarning));
  warning->setWordWrap(true);
  warning->setObjectName(QStringLiteral("warning"));
  auto* where = new QLabel(QStringLiteral("Carpeta de instalación: %1")
                               .arg(QString::fromStdString(request_.installFolder)));
  where->setWordWrap(true);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);

  uninstall_ = new QPushButton(QStringLiteral("&Desinstalar"));
  exit_ = new QPushButton(QStringLiteral("&Salir"));
  exit_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(headerRow(qs(setup::kUninstallerTitle)));
  layout->addWidget(warning);
  layout->addWidget(where);
  layout->addStretch(1);
  layout->addLayout(buttonRow(uninstall_, exit_));
  setMinimumWidth(460);

  connect(uninstall_, &QPushButton::clicked, this, [this] { uninstall(); });
  connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

void UninstallDialog::uninstall() {
  attempted_ = true;
  outcome_ = setup::runUninstall(request_, prompts_);
  // Success or failure, the message has been shown and the program ends.
  accept();
}

}  // namespace tarvolin::setup_ui
