#include "shell/project_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/paths.h"

namespace tarvolin::shell {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ProjectSettingsDialog::ProjectSettingsDialog(project::Project& project, Host& host, QWidget* parent)
    : QDialog(parent), project_(project), host_(host), values_(project.settings()) {
  setObjectName("projectSettings");
  setWindowTitle(QStringLiteral("Configuración del Proyecto"));
  auto* layout = new QVBoxLayout(this);

  auto* folders = new QGroupBox(QStringLiteral("Carpetas"), this);
  auto* grid = new QGridLayout(folders);
  source_ = addFolderRow(grid, 0, QStringLiteral("Raíz Fuente"), values_.sourceRoot,
                         QStringLiteral("Browse to root source folder"), true);
  resources_ = addFolderRow(grid, 1, QStringLiteral("Raíz de Recursos"), values_.resourceRoot,
                            QStringLiteral("Browse to root resource folder"), true);
  output_ = addFolderRow(grid, 2, QStringLiteral("Raíz de Exportación"), values_.outputRoot,
                         QStringLiteral("Browse to root build folder"), false);
  grid->addWidget(new QLabel(QStringLiteral("Nombre del guión principal"), folders), 3, 0);
  mainScript_ = new QLineEdit(qs(values_.mainScript), folders);
  mainScript_->setObjectName("mainScript");
  grid->addWidget(mainScript_, 3, 1);
  auto* pick = new QPushButton(QStringLiteral("..."), folders);
  pick->setToolTip(QStringLiteral("Seleccionar el guión base..."));
  connect(pick, &QPushButton::clicked, this, &ProjectSettingsDialog::browseMainScript);
  grid->addWidget(pick, 3, 2);
  connect(mainScript_, &QLineEdit::textEdited, this, &ProjectSettingsDialog::markChanged);
  layout->addWidget(folders);

  readOnly_ = new QCheckBox(QStringLiteral("Proyecto solo lectura (tutoriales)"), this);
  readOnly_->setChecked(values_.readOnly);
  noMain_ = new QCheckBox(QStringLiteral("Sin guión principal (tutoriales)"), this);
  noMain_->setChecked(values_.noMainScript);
  connect(readOnly_, &QCheckBox::clicked, this, &ProjectSettingsDialog::markChanged);
  layout->addWidget(readOnly_);
  layout->addWidget(noMain_);

  auto* sharing = new QGroupBox(QStringLiteral("Red"), this);
  auto* net = new QGridLayout(sharing);
  shared_ = new QCheckBox(QStringLiteral("Compartir"), sharing);
  shared_->setChecked(values_.networked);
  net->addWidget(shared_, 0, 0);
  net->addWidget(new QLabel(QStringLiteral("Proyecto"), sharing), 1, 0);
  networkName_ = new QLineEdit(qs(values_.networkName), sharing);
  net->addWidget(networkName_, 1, 1);
  exclusions_ = new QPushButton(QStringLiteral("Exclusiones"), sharing);
  net->addWidget(exclusions_, 1, 2);
  override_ = new QCheckBox(QStringLiteral("Sustituir configuración por defecto"), sharing);
  override_->setChecked(values_.serverOverride);
  net->addWidget(override_, 2, 0, 1, 3);
  net->addWidget(new QLabel(QStringLiteral("Dirección"), sharing), 3, 0);
  address_ = new QLineEdit(qs(values_.serverAddress), sharing);
  net->addWidget(address_, 3, 1, 1, 2);
  net->addWidget(new QLabel(QStringLiteral("Puerto"), sharing), 4, 0);
  port_ = new QSpinBox(sharing);
  port_->setRange(0, 65535);
  port_->setValue(std::clamp(values_.serverPort, 0, 65535));
  net->addWidget(port_, 4, 1);
  connect(shared_, &QCheckBox::clicked, this, [this] {
    markChanged();
    updateEnabled();
  });
  connect(override_, &QCheckBox::clicked, this, [this] {
    markChanged();
    updateEnabled();
  });
  for (QLineEdit* field : {networkName_, address_})
    connect(field, &QLineEdit::textEdited, this, &ProjectSettingsDialog::markChanged);
  connect(port_, &QSpinBox::valueChanged, this, &ProjectSettingsDialog::markChanged);
  connect(exclusions_, &QPushButton::clicked, this, &ProjectSettingsDialog::editExclusions);
  layout->addWidget(sharing);

  auto* path = new QLabel(QStringLiteral("Ruta del proyecto: %1").arg(qs(project_.filePath())), this);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(path);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &ProjectSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  chooseFolder_ = [this](const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(this, title, start);
  };
  chooseFile_ = [this](const QString& title, const QString& start) {
    return QFileDialog::getOpenFileName(this, title, start, QStringLiteral("Guiones (*.txt);;Todos (*)"));
  };
  updateEnabled();
}

QLineEdit* ProjectSettingsDialog::addFolderRow(QGridLayout* grid, int row, const QString& label,
                                               const std::string& value, const QString& browseTip,
                                               bool editable) {
  QWidget* owner = grid->parentWidget();
  grid->addWidget(new QLabel(label, owner), row, 0);
  auto* field = new QLineEdit(qs(value), owner);
  field->setMinimumWidth(280);
  field->setEnabled(editable);
  grid->addWidget(field, row, 1);
  auto* browse = new QPushButton(QStringLiteral("..."), owner);
  browse->setToolTip(browseTip);
  browse->setEnabled(editable);
  grid->addWidget(browse, row, 2);
  connect(field, &QLineEdit::textEdited, this, &ProjectSettingsDialog::markChanged);
  connect(browse, &QPushButton::clicked, this, [this, field, label] { browseFolder(field, label); });
  return field;
}

void ProjectSettingsDialog::updateEnabled() {
  networkName_->setEnabled(shared_->isChecked());
  exclusions_->setEnabled(shared_->isChecked());
  address_->setEnabled(override_->isChecked());
  port_->setEnabled(override_->isChecked());
}

void ProjectSettingsDialog::browseFolder(QLineEdit* field, const QString& title) {
  // Starts at the folder the field names, relative to the project file.
  const std::string start = platform::resolvePath(project_.folder(), field->text().toStdString());
  const QString chosen = chooseFolder_(title, qs(start));
  project_.restoreWorkingFolder();
  if (chosen.isEmpty()) return;
  field->setText(qs(project_.storedFolder(chosen.toStdString())));
  markChanged();
}

void ProjectSettingsDialog::browseMainScript() {
  // The Script folder of the source root as the window holds it is made
  // first, so the chooser can start in it.
  const project::ProjectSettings saved = project_.settings();
  project_.settings().sourceRoot = source_->text().toStdString();
  const std::string folder = project_.scriptFolderPath();
  project_.settings() = saved;
  if (!platform::makeFolders(folder)) {
    host_.messageBox("Tarvolin", "No se puede abrir o crear el subdirectorio del guión <" + folder + ">",
                     MessageButtons::Ok, MessageAnswer::Ok);
    return;
  }
  const QString chosen = chooseFile_(QStringLiteral("Seleccionar el guión base..."), qs(folder));
  project_.restoreWorkingFolder();
  if (chosen.isEmpty()) return;
  mainScript_->setText(QFileInfo(chosen).fileName());
  markChanged();
}

void ProjectSettingsDialog::editExclusions() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Exclusión de Archivos de Red"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* cvs = new QCheckBox(QStringLiteral("Excluir archivos CVS (+ carpetas)"), &dialog);
  cvs->setChecked(values_.excludeCvs);
  layout->addWidget(cvs);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() == QDialog::Accepted && cvs->isChecked() != values_.excludeCvs) {
    values_.excludeCvs = cvs->isChecked();
    markChanged();
  }
}

void ProjectSettingsDialog::accept() {
  values_.sourceRoot = source_->text().toStdString();
  values_.resourceRoot = resources_->text().toStdString();
  values_.mainScript = mainScript_->text().trimmed().toStdString();
  if (values_.mainScript.empty()) values_.mainScript = project_.settings().mainScript;
  values_.readOnly = readOnly_->isChecked();
  values_.noMainScript = noMain_->isChecked();
  values_.networked = shared_->isChecked();
  values_.networkName = networkName_->text().toStdString();
  values_.serverOverride = override_->isChecked();
  values_.serverAddress = address_->text().trimmed().toStdString();
  values_.serverPort = port_->value();
  project_.settings() = values_;
  QDialog::accept();
  project_.acceptSettings(changed_);
}

}  // namespace tarvolin::shell
