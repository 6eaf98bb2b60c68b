#include "assets_ui/import_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/project.h"

namespace tarvolin::assets_ui {
namespace {

using project::ImportFamily;

const QString kProjectFilter = QStringLiteral("Proyectos (*.tvp)");

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The families in the order of the "Importar" submenu.
constexpr ImportFamily kMenuOrder[] = {ImportFamily::Paths,     ImportFamily::Arrays, ImportFamily::Strings,
                                       ImportFamily::Levels,    ImportFamily::TileLists, ImportFamily::Macros,
                                       ImportFamily::FontMaps,  ImportFamily::Resources};

const char* menuText(ImportFamily f) {
  switch (f) {
    case ImportFamily::Paths: return "&Recorridos...";
    case ImportFamily::Arrays: return "&Arreglos...";
    case ImportFamily::Strings: return "&Cadenas...";
    case ImportFamily::Levels: return "&Niveles...";
    case ImportFamily::TileLists: return "&Listas de Tiles...";
    case ImportFamily::Macros: return "&Macros...";
    case ImportFamily::FontMaps: return "Ma&pas de Fuentes...";
    case ImportFamily::Resources: return "R&ecursos...";
  }
  return "";
}

QCheckBox* ticked(const QString& label, bool on, QWidget* parent) {
  auto* box = new QCheckBox(label, parent);
  box->setChecked(on);
  return box;
}

}  // namespace

FileChooser fileDialogChooser() {
  return [](QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
  };
}

ImportDialog::ImportDialog(project::Project& project, QWidget* parent)
    : QDialog(parent), project_(project), chooser_(fileDialogChooser()) {
  setWindowTitle(QStringLiteral("Importar Proyecto.."));
  const project::ImportOptions defaults;

  auto* fields = new QGridLayout;
  file_ = new QLineEdit(this);
  browseButton_ = new QPushButton(QStringLiteral("&Examinar"), this);
  prefix_ = new QLineEdit(this);
  folder_ = new QLineEdit(this);
  auto* fileLabel = new QLabel(QStringLiteral("Archivo"), this);
  auto* prefixLabel = new QLabel(QStringLiteral("Prefijo"), this);
  auto* folderLabel = new QLabel(QStringLiteral("Carpeta"), this);
  fileLabel->setBuddy(file_);
  prefixLabel->setBuddy(prefix_);
  folderLabel->setBuddy(folder_);
  fields->addWidget(fileLabel, 0, 0);
  fields->addWidget(file_, 0, 1);
  fields->addWidget(browseButton_, 0, 2);
  fields->addWidget(prefixLabel, 1, 0);
  fields->addWidget(prefix_, 1, 1, 1, 2);
  fields->addWidget(folderLabel, 2, 0);
  fields->addWidget(folder_, 2, 1, 1, 2);
  file_->setMinimumWidth(320);

  auto* componentsBox = new QGroupBox(QStringLiteral("Componentes a Importar"), this);
  auto* componentsLayout = new QVBoxLayout(componentsBox);
  auto* prefixGroup = new QGroupBox(QStringLiteral("Prefijos"), this);
  auto* prefixLayout = new QVBoxLayout(prefixGroup);
  prefixLayout->addWidget(new QLabel(QStringLiteral("Aplicar a..."), prefixGroup));
  for (std::size_t i = 0; i < project::kImportFamilyCount; ++i) {
    const project::ImportFamilyInfo& info = project::importFamilyInfo(ImportFamily(i));
    components_[i] = ticked(text(info.component), defaults.components[i], componentsBox);
    componentsLayout->addWidget(components_[i]);
    prefixed_[i] = ticked(text(info.prefixLabel), defaults.prefixed[i], prefixGroup);
    prefixLayout->addWidget(prefixed_[i]);
  }
  scripts_ = ticked(QStringLiteral("Guiones"), defaults.scripts, componentsBox);
  componentsLayout->addWidget(scripts_);
  componentsLayout->addStretch();
  prefixLayout->addStretch();

  auto* optionsBox = new QGroupBox(QStringLiteral("Configuración"), this);
  auto* optionsLayout = new QVBoxLayout(optionsBox);
  copyResources_ = ticked(QStringLiteral("Copiar recursos binarios (solo relativos)"), defaults.copyResourceFiles,
                          optionsBox);
  scriptFolder_ = ticked(QStringLiteral("Crear subdirectorio para guiones"), defaults.scriptSubfolder, optionsBox);
  resourceFolder_ =
      ticked(QStringLiteral("Crear subdirectorio para recursos"), defaults.resourceSubfolder, optionsBox);
  globalSet_ = ticked(QStringLiteral("Crear juego global"), defaults.createGlobalSet, optionsBox);
  applySet_ = ticked(QStringLiteral("Agregar comandos 'ApplySet'"), defaults.addApplySet, optionsBox);
  skipComments_ =
      ticked(QStringLiteral("Omitir comentarios al aplicar prefijos"), defaults.skipComments, optionsBox);
  for (QCheckBox* box : {copyResources_, scriptFolder_, resourceFolder_, globalSet_, applySet_, skipComments_})
    optionsLayout->addWidget(box);
  optionsLayout->addStretch();

  auto* groups = new QHBoxLayout;
  groups->addWidget(componentsBox);
  groups->addWidget(optionsBox, 1);
  groups->addWidget(prefixGroup);

  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setValue(0);

  auto* buttons = new QDialogButtonBox(this);
  importButton_ = buttons->addButton(QStringLiteral("&Importar"), QDialogButtonBox::AcceptRole);
  closeButton_ = buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
  importButton_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(groups);
  layout->addWidget(progress_);
  layout->addWidget(buttons);

  connect(browseButton_, &QPushButton::clicked, this, &ImportDialog::browse);
  connect(importButton_, &QPushButton::clicked, this, &ImportDialog::runImport);
  connect(closeButton_, &QPushButton::clicked, this, [this] {
    if (running_) cancelRequested_ = true;
    else reject();
  });
}

project::ImportOptions ImportDialog::options() const {
  project::ImportOptions o;
  o.file = file_->text().toStdString();
  o.prefix = prefix_->text().toStdString();
  o.folder = folder_->text().toStdString();
  for (std::size_t i = 0; i < project::kImportFamilyCount; ++i) {
    o.components[i] = components_[i]->isChecked();
    o.prefixed[i] = prefixed_[i]->isChecked();
  }
  o.scripts = scripts_->isChecked();
  o.copyResourceFiles = copyResources_->isChecked();
  o.scriptSubfolder = scriptFolder_->isChecked();
  o.resourceSubfolder = resourceFolder_->isChecked();
  o.createGlobalSet = globalSet_->isChecked();
  o.addApplySet = applySet_->isChecked();
  o.skipComments = skipComments_->isChecked();
  return o;
}

void ImportDialog::browse() {
  const QString chosen = chooser_(this, QStringLiteral("Seleccionar el Proyecto a importar..."), kProjectFilter);
  project_.restoreWorkingFolder();
  if (chosen.isEmpty()) return;
  file_->setText(chosen);
  folder_->setText(QString::fromStdString(project::projectNameOf(chosen.toStdString())));
}

void ImportDialog::reject() {
  // Closing the window while an import runs asks it to stop instead.
  if (running_) cancelRequested_ = true;
  else QDialog::reject();
}

void ImportDialog::runImport() {
  if (running_) return;
  progress_->setValue(0);
  importButton_->setEnabled(false);
  closeButton_->setText(QStringLiteral("&Cancelar"));
  running_ = true;
  cancelRequested_ = false;
  // The window stays responsive between the steps, so that "Cancelar" is
  // seen; the import itself runs here, on the GUI thread.
  summary_ = project::importProject(project_, options(), [this](int percent) {
    progress_->setValue(percent);
    QCoreApplication::processEvents();
    if (progressHook_) progressHook_(percent);
    return !cancelRequested_;
  });
  running_ = false;
  closeButton_->setText(QStringLiteral("&Cerrar"));
  importButton_->setEnabled(true);
  project_.restoreWorkingFolder();
  if (summary_.outcome == project::ImportOutcome::Cancelled) progress_->setValue(0);
  if (summary_.outcome != project::ImportOutcome::Done) return;
  int duplicates = 0;
  for (int d : summary_.duplicates) duplicates += d;
  project_.host().outputLine("Importación de <" + options().file + ">: " + std::to_string(summary_.totalAdded()) +
                             " registros agregados, " + std::to_string(duplicates) + " duplicados, " +
                             std::to_string(summary_.copiedFiles.size()) + " archivos copiados");
  emit imported();
}

bool importFamilyWithDialog(QWidget* parent, project::Project& project, ImportFamily family,
                            const FileChooser& chooser, project::Edit* undo) {
  const QString chosen = chooser(parent, text(project::importFamilyInfo(family).dialogTitle), kProjectFilter);
  project.restoreWorkingFolder();
  if (chosen.isEmpty()) return false;
  project::ImportSummary summary;
  const bool merged = project::importFamily(project, family, chosen.toStdString(), &summary);
  if (undo) *undo = summary.undo;
  return merged;
}

void addImportEntries(QMenu* menu, QWidget* parent, project::Project& project, ImportDone done,
                      FileChooser chooser) {
  QList<QAction*> actions;
  for (ImportFamily f : kMenuOrder) {
    QAction* a = menu->addAction(QString::fromUtf8(menuText(f)));
    QObject::connect(a, &QAction::triggered, parent, [parent, &project, f, done, chooser, a] {
      project::Edit undo;
      if (importFamilyWithDialog(parent, project, f, chooser, &undo) && undo.valid() && done)
        done(undo, QStringLiteral("importación de ") + a->text().remove('&').remove(QStringLiteral("...")));
    });
    actions.push_back(a);
  }
  menu->addSeparator();
  QAction* whole = menu->addAction(QStringLiteral("&Proyecto..."));
  QObject::connect(whole, &QAction::triggered, parent, [parent, &project, done, chooser] {
    ImportDialog dialog(project, parent);
    dialog.setFileChooser(chooser);
    QObject::connect(&dialog, &ImportDialog::imported, parent, [&dialog, done] {
      if (done && dialog.lastSummary().undo.valid())
        done(dialog.lastSummary().undo, QStringLiteral("importación de proyecto"));
    });
    dialog.exec();
  });
  actions.push_back(whole);
  QObject::connect(menu, &QMenu::aboutToShow, menu, [actions, &project] {
    for (QAction* a : actions) a->setEnabled(project.isOpen());
  });
}

void addImportEntries(QMenu* menu, QWidget* parent, project::Project& project, std::function<void()> changed) {
  addImportEntries(menu, parent, project, [changed](const project::Edit&, const QString&) {
    if (changed) changed();
  });
}

}  // namespace tarvolin::assets_ui
