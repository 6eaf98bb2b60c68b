// The window "Importar Proyecto.." and the "Importar" submenu: defaults,
// the browse button, one import through the window, and a single-family
// import with its dialog title.
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "assets_ui/import_dialog.h"
#include "common/temp_dir.h"
#include "project/project.h"
#include "project/recording_host.h"
#include "project/resource_file.h"

namespace tarvolin::test {
namespace {

using project::ImportFamily;

project::Resource resource(std::string name, std::string file) {
  project::Resource r;
  r.name = std::move(name);
  r.file = std::move(file);
  r.relative = true;
  return r;
}

// A game with the resource "hero" open; a library "Biblio" beside it with
// the resources Hero and Font, a string and one script.
struct ImportRig {
  TempDir dir;
  RecordingHost host;
  std::string working;
  project::Project project{host, working};

  ImportRig() {
    project.setStartFolder(dir.path());
    dir.write("Biblio.tvp", "");
    dir.write("Biblio/resource.txt",
              project::writeResources({resource("Hero", ".\\hero.bmp"), resource("Font", ".\\font.bmp")}));
    dir.write("Biblio/Resources/hero.bmp", "HERO");
    dir.write("Biblio/Resources/font.bmp", "FONT");
    dir.write("Biblio/global_names.txt", project::writeGlobalSets({project::defaultGlobalSet()}));
    project::StringRecord title;
    title.identifier = "Title";
    title.texts[5] = "Hola";
    dir.write("Biblio/string_table.txt", project::writeStrings({title}));
    dir.write("Biblio/Script/menu.txt", "; menú\nResourceLoad Hero\n");
    dir.write("game.tvp", "");
    dir.write("game/resource.txt", project::writeResources({resource("hero", ".\\mine.bmp")}));
    EXPECT_TRUE(project.open(dir.file("game.tvp"), false));
  }
};

TEST(ImportDialog, FieldsAndDefaults) {
  ImportRig rig;
  assets_ui::ImportDialog dialog(rig.project);
  EXPECT_EQ(dialog.windowTitle(), "Importar Proyecto..");
  EXPECT_TRUE(dialog.fileEdit()->text().isEmpty());
  EXPECT_TRUE(dialog.prefixEdit()->text().isEmpty());
  EXPECT_TRUE(dialog.folderEdit()->text().isEmpty());
  EXPECT_EQ(dialog.browseButton()->text(), "&Examinar");
  EXPECT_EQ(dialog.importButton()->text(), "&Importar");
  const char* components[] = {"Arreglos", "Cadenas", "Macros", "Listas de Tiles", "Recursos", "Recorridos",
                              "Mapas de Fuentes", "Niveles"};
  const char* prefixes[] = {"Arreglos", "Cadenas", "Macros", "Listas de Tiles", "Recursos", "Recorridos",
                            "M de Fuentes", "Niveles"};
  for (std::size_t i = 0; i < project::kImportFamilyCount; ++i) {
    EXPECT_EQ(dialog.componentBox(ImportFamily(i))->text(), QString::fromUtf8(components[i]));
    EXPECT_TRUE(dialog.componentBox(ImportFamily(i))->isChecked());
    EXPECT_EQ(dialog.prefixBox(ImportFamily(i))->text(), QString::fromUtf8(prefixes[i]));
    EXPECT_TRUE(dialog.prefixBox(ImportFamily(i))->isChecked());
  }
  EXPECT_EQ(dialog.scriptsBox()->text(), "Guiones");
  EXPECT_TRUE(dialog.scriptsBox()->isChecked());
  const std::pair<QCheckBox*, const char*> options[] = {
      {dialog.copyResourcesBox(), "Copiar recursos binarios (solo relativos)"},
      {dialog.scriptFolderBox(), "Crear subdirectorio para guiones"},
      {dialog.resourceFolderBox(), "Crear subdirectorio para recursos"},
      {dialog.globalSetBox(), "Crear juego global"},
      {dialog.applySetBox(), "Agregar comandos 'ApplySet'"}};
  for (const auto& [box, label] : options) {
    EXPECT_EQ(box->text(), QString::fromUtf8(label));
    EXPECT_TRUE(box->isChecked()) << label;
  }
  EXPECT_EQ(dialog.skipCommentsBox()->text(), "Omitir comentarios al aplicar prefijos");
  EXPECT_FALSE(dialog.skipCommentsBox()->isChecked());
  EXPECT_EQ(dialog.progressBar()->value(), 0);
  // The window's fields are the core's defaults.
  const project::ImportOptions o = dialog.options();
  const project::ImportOptions defaults;
  EXPECT_EQ(o.components, defaults.components);
  EXPECT_EQ(o.prefixed, defaults.prefixed);
  EXPECT_EQ(o.skipComments, defaults.skipComments);
}

TEST(ImportDialog, BrowseThenImportThroughTheWindow) {
  ImportRig rig;
  assets_ui::ImportDialog dialog(rig.project);
  QString askedTitle, askedFilter;
  const QString library = QString::fromStdString(rig.dir.file("Biblio.tvp"));
  dialog.setFileChooser([&](QWidget*, const QString& title, const QString& filter) {
    askedTitle = title;
    askedFilter = filter;
    return library;
  });
  dialog.show();
  QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
  EXPECT_EQ(askedTitle, "Seleccionar el Proyecto a importar...");
  EXPECT_TRUE(askedFilter.contains("*.tvp"));
  EXPECT_EQ(dialog.fileEdit()->text(), library);
  EXPECT_EQ(dialog.folderEdit()->text(), "Biblio");  // the chosen project's name

  QTest::keyClicks(dialog.prefixEdit(), "lib_");
  dialog.componentBox(ImportFamily::Strings)->setChecked(false);
  int imported = 0;
  QObject::connect(&dialog, &assets_ui::ImportDialog::imported, [&] { ++imported; });
  QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

  EXPECT_EQ(dialog.lastSummary().outcome, project::ImportOutcome::Done);
  EXPECT_TRUE(dialog.lastSummary().undo.valid());
  EXPECT_EQ(imported, 1);
  EXPECT_EQ(dialog.progressBar()->value(), 100);
  EXPECT_GE(rig.project.resources().find("lib_Hero"), 0);
  EXPECT_EQ(rig.project.strings().size(), 0u);  // unticked
  EXPECT_EQ(rig.project.globalSets().findSet("Biblio"), 1);
  EXPECT_TRUE(rig.project.isModified());
  EXPECT_EQ(TempDir::read(rig.dir.file("game/Script/Biblio/menu.txt")),
            "; menú\r\n\r\n; Auto agregar\r\nApplyGlobalSet Biblio\r\n\r\nResourceLoad lib_Hero");
  EXPECT_EQ(TempDir::read(rig.dir.file("game/Resources/Biblio/hero.bmp")), "HERO");
  EXPECT_TRUE(rig.host.saw("Importación de <" + rig.dir.file("Biblio.tvp") +
                           ">: 2 registros agregados, 0 duplicados, 3 archivos copiados"));

  // Once more: the set name is taken now; the window reports it and the
  // project stays as it is.
  rig.host.boxes.clear();
  QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.lastSummary().outcome, project::ImportOutcome::GlobalSetTaken);
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_EQ(rig.host.boxes[0], "Ya se está utilizando ese nombre como juego de variables globales");
  EXPECT_EQ(imported, 1);
  EXPECT_EQ(rig.project.resources().size(), 3u);
  // A cancelled browse changes nothing.
  dialog.setFileChooser([](QWidget*, const QString&, const QString&) { return QString(); });
  dialog.folderEdit()->setText("otra");
  dialog.browse();
  EXPECT_EQ(dialog.folderEdit()->text(), "otra");
  EXPECT_EQ(dialog.fileEdit()->text(), library);
}

TEST(ImportDialog, CancelDuringTheImportChangesNothing) {
  ImportRig rig;
  assets_ui::ImportDialog dialog(rig.project);
  dialog.fileEdit()->setText(QString::fromStdString(rig.dir.file("Biblio.tvp")));
  dialog.folderEdit()->setText("Biblio");
  dialog.show();
  QString during;
  dialog.setProgressHook([&](int) {
    if (!during.isEmpty()) return;
    during = dialog.closeButton()->text();
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);  // "Cancelar" while it runs
  });
  QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
  EXPECT_EQ(during, "&Cancelar");
  EXPECT_EQ(dialog.lastSummary().outcome, project::ImportOutcome::Cancelled);
  EXPECT_EQ(dialog.closeButton()->text(), "&Cerrar");
  EXPECT_TRUE(dialog.isVisible());  // cancelling the import does not close the window
  EXPECT_EQ(rig.project.resources().size(), 1u);
  EXPECT_EQ(rig.project.globalSets().sets().size(), 1u);
  EXPECT_FALSE(rig.project.isModified());
}

TEST(ImportDialog, SingleFamilyImportsAndTheSubmenu) {
  ImportRig rig;
  QWidget parent;
  QString askedTitle;
  const auto chooser = [&](QWidget*, const QString& title, const QString&) {
    askedTitle = title;
    return QString::fromStdString(rig.dir.file("Biblio.tvp"));
  };
  project::Edit undo;
  EXPECT_TRUE(assets_ui::importFamilyWithDialog(&parent, rig.project, ImportFamily::Strings, chooser, &undo));
  EXPECT_EQ(askedTitle, "Seleccionar el proyecto desde el cual importar las Cadenas..");
  EXPECT_GE(rig.project.strings().find("Title"), 0);
  // The studio's undo takes the merged string out again.
  ASSERT_TRUE(undo.valid());
  ASSERT_TRUE(rig.project.apply(undo).valid());
  EXPECT_EQ(rig.project.strings().size(), 0u);
  EXPECT_FALSE(rig.project.isModified());
  EXPECT_TRUE(assets_ui::importFamilyWithDialog(&parent, rig.project, ImportFamily::Strings, chooser));
  EXPECT_TRUE(assets_ui::importFamilyWithDialog(&parent, rig.project, ImportFamily::Resources, chooser));
  EXPECT_EQ(askedTitle, "Seleccionar el proyecto desde el cual importar los Recursos..");
  EXPECT_EQ(rig.host.boxes, std::vector<std::string>{"El recurso 'Hero' ya existe en el proyecto"});
  EXPECT_GE(rig.project.resources().find("Font"), 0);
  EXPECT_FALSE(assets_ui::importFamilyWithDialog(
      &parent, rig.project, ImportFamily::Macros, [](QWidget*, const QString&, const QString&) { return QString(); }));

  const std::pair<ImportFamily, const char*> titles[] = {
      {ImportFamily::Macros, "Seleccionar el proyecto desde el cual importar las Macros.."},
      {ImportFamily::Paths, "Seleccionar el proyecto desde el cual importar los Recorridos.."},
      {ImportFamily::FontMaps, "Seleccionar el proyecto desde el cual importar los Mapas.."},
      {ImportFamily::Arrays, "Seleccionar el proyecto desde el cual importar los Arreglos.."},
      {ImportFamily::TileLists, "Seleccionar el proyecto desde el cual importar los Recursos.."},
      {ImportFamily::Levels, "Seleccionar el proyecto desde el cual importar los Recursos.."}};
  for (const auto& [family, title] : titles)
    EXPECT_EQ(QString::fromUtf8(project::importFamilyInfo(family).dialogTitle), QString::fromUtf8(title));

  QMenu* menu = new QMenu(QStringLiteral("Importar"), &parent);
  QString doneLabel;
  project::Edit doneUndo;
  assets_ui::addImportEntries(
      menu, &parent, rig.project,
      [&](const project::Edit& u, const QString& label) {
        doneUndo = u;
        doneLabel = label;
      },
      chooser);
  QStringList entries;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) entries << a->text();
  EXPECT_EQ(entries, (QStringList{"&Recorridos...", "&Arreglos...", "&Cadenas...", "&Niveles...",
                                  "&Listas de Tiles...", "&Macros...", "Ma&pas de Fuentes...", "R&ecursos...",
                                  "&Proyecto..."}));
  emit menu->aboutToShow();
  for (QAction* a : menu->actions()) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
  // "&Recorridos...": the library has no paths file, so nothing is merged or
  // handed on. "&Cadenas..." merges the string again once it is removed,
  // and hands on its undo.
  menu->actions()[0]->trigger();
  EXPECT_EQ(askedTitle, "Seleccionar el proyecto desde el cual importar los Recorridos..");
  EXPECT_FALSE(doneUndo.valid());
  const int before = int(rig.project.strings().size());
  ASSERT_TRUE(rig.project.apply(project::Edit::Remove(project::AssetSlot::StringTable, 0)).valid());
  menu->actions()[2]->trigger();
  EXPECT_EQ(int(rig.project.strings().size()), before);
  EXPECT_TRUE(doneUndo.valid());
  EXPECT_EQ(doneLabel, QString::fromUtf8("importación de Cadenas"));
  // The caller that only refreshes.
  int refreshed = 0;
  QMenu plain;
  assets_ui::addImportEntries(&plain, &parent, rig.project, [&] { ++refreshed; });
  EXPECT_EQ(plain.actions().size(), menu->actions().size());
  rig.project.close();
  emit menu->aboutToShow();
  for (QAction* a : menu->actions()) EXPECT_FALSE(a->isEnabled() && !a->isSeparator()) << a->text().toStdString();
}

}  // namespace
}  // namespace tarvolin::test
