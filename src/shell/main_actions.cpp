// The main window's commands as actions, the menus and the toolbar groups.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "shell/call_stack_dock.h"
#include "shell/icons.h"
#include "shell/main_window.h"

namespace tarvolin::shell {
namespace {

// Where a shortcut works: everywhere in the program (also in the emulator
// window), or only while the main window is active (the editor's).
enum class Scope { None, Program, Editor };

struct ActionSpec {
  Command command;
  const char* text;      // with the shortcut as the menu shows it after a tab
  const char* shortcut;  // the key that triggers it ("" for none)
  Scope scope;
  const char* tip;
  const char* icon;
  bool checkable;
};

// The texts of the menus are the system's own; the keys after a tab are
// what the menus show. Cut, copy, paste, undo, redo, delete and select-all
// keep their keys in the widget that has the focus, so they carry no
// shortcut here.
const ActionSpec kActions[] = {
    {Command::OpenScript, "&Nuevo/Abrir Guión...", "", Scope::None, "Abre un guión o crea uno nuevo", "open_script", false},
    {Command::CloseScript, "&Cerrar Guión\tAlt-F3", "Alt+F3", Scope::Program, "Cierra el guión actual", "close", false},
    {Command::OpenProject, "Nuevo/Abrir &Proyecto...", "", Scope::None, "Abre un proyecto o crea uno nuevo", "project_open", false},
    {Command::CloseProject, "Cerrar Proyecto", "", Scope::None, "", "", false},
    {Command::ProjectSettings, "Con&figuración del Proyecto...", "", Scope::None, "", "settings", false},
    {Command::SaveScript, "&Guardar", "", Scope::None, "Guarda el guión actual", "save_script", false},
    {Command::SaveAll, "Guardar &Todo\tCtrl-S", "Ctrl+S", Scope::Program, "Guarda cualquier cosa del proyecto que tenga cambios (Ctrl^S)", "save_all", false},
    {Command::ProgramSettings, "Configuración de Tar&volin...", "", Scope::None, "", "settings", false},
    {Command::Exit, "&Salir\tAlt-F4", "Alt+F4", Scope::Program, "", "exit", false},

    {Command::Undo, "&Deshacer\tCtrl-Z", "", Scope::None, "Deshace el último cambio (Ctrl^Z)", "undo", false},
    {Command::Redo, "&Rehacer\tCtrl-Y", "", Scope::None, "Rehace el último cambio deshecho (Ctrl^Y)", "redo", false},
    {Command::Cut, "Cor&tar\tCtrl-X", "", Scope::None, "Corta la selección al portapapeles (Ctrl^X)", "cut", false},
    {Command::Copy, "&Copiar\tCtrl-C", "", Scope::None, "Copia la selección al portapapeles (Ctrl^C)", "copy", false},
    {Command::Paste, "&Pegar\tCtrl-V", "", Scope::None, "Pega el portapapeles en el guión (Ctrl^V)", "paste", false},
    {Command::Delete, "&Eliminar\tSupr", "", Scope::None, "", "", false},
    {Command::Find, "&Buscar...\tCtrl-F", "Ctrl+F", Scope::Editor, "Busca un texto en el guión (Ctrl^F)", "find", false},
    {Command::FindInScripts, "Buscar en &Guiones...\tCtrl-J", "Ctrl+J", Scope::Editor, "Busca un texto en todos los guiones del proyecto (Ctrl^J)", "find_in_scripts", false},
    {Command::Replace, "&Reemplazar...\tCtrl-H", "Ctrl+H", Scope::Editor, "Reemplaza un texto en el guión (Ctrl^H)", "replace", false},
    {Command::NextBookmark, "&Siguiente Marcador\tF2", "F2", Scope::Editor, "Va al siguiente marcador (F2)", "bookmark_next", false},
    {Command::PreviousBookmark, "Marcador &Anterior\tMayús-F2", "Shift+F2", Scope::Editor, "", "", false},
    {Command::ToggleBookmark, "Agregar &Marcador\tCtrl-F2", "Ctrl+F2", Scope::Editor, "Agrega/Elimina un marcador en la línea actual (Ctrl^F2)", "bookmark_add", false},
    {Command::GotoLine, "&Ir a Línea...\tCtrl-G", "Ctrl+G", Scope::Editor, "Va a una línea del guión (Ctrl^G)", "goto_line", false},
    {Command::Comment, "&Comentar", "", Scope::Editor, "Comenta o descomenta las líneas seleccionadas", "comment", false},
    {Command::BlockStart, "Buscar &Inicio del Bloque", "", Scope::Editor, "", "", false},
    {Command::BlockEnd, "Buscar &Fin del Bloque", "", Scope::Editor, "", "", false},
    {Command::SelectAll, "Seleccionar &Todo", "", Scope::None, "", "", false},
    {Command::Indent, "Aplicar Sangría", "", Scope::None, "Aplica sangría a todas las líneas seleccionadas (TAB)", "indent", false},
    {Command::Unindent, "Quitar Sangría", "", Scope::None, "Quita la sangría de las líneas seleccionadas (Mayús-TAB)", "unindent", false},
    {Command::InsertSeparator, "Agregar Separador", "Ctrl+Shift+S", Scope::Editor, "Agrega un separador al guión (Ctrl-Mayús^S)", "separator", false},
    {Command::InsertFunctionHeader, "Agregar Cabecera de Función", "Ctrl+Shift+F", Scope::Editor, "Agrega al guión la cabecera de una función (Ctrl-Mayús^F)", "function_header", false},
    {Command::InsertLV0, "V_LV0", "Ctrl+Shift+0", Scope::Editor, "Escribe 'V_LV0' en el guión (variable local 0) (Ctrl-Mayús^0)", "var_lv0", false},
    {Command::InsertLV1, "V_LV1", "Ctrl+Shift+1", Scope::Editor, "Escribe 'V_LV1' en el guión (variable local 1) (Ctrl-Mayús^1)", "var_lv1", false},
    {Command::InsertLV2, "V_LV2", "Ctrl+Shift+2", Scope::Editor, "Escribe 'V_LV2' en el guión (variable local 2) (Ctrl-Mayús^2)", "var_lv2", false},
    {Command::InsertLV3, "V_LV3", "Ctrl+Shift+3", Scope::Editor, "Escribe 'V_LV3' en el guión (variable local 3) (Ctrl-Mayús^3)", "var_lv3", false},
    {Command::InsertLV4, "V_LV4", "Ctrl+Shift+4", Scope::Editor, "Escribe 'V_LV4' en el guión (variable local 4) (Ctrl-Mayús^4)", "var_lv4", false},
    {Command::InsertLV5, "V_LV5", "Ctrl+Shift+5", Scope::Editor, "Escribe 'V_LV5' en el guión (variable local 5) (Ctrl-Mayús^5)", "var_lv5", false},
    {Command::InsertEV0, "V_EV0", "Ctrl+Shift+6", Scope::Editor, "Escribe 'V_EV0' en el guión (parámetro pasado 0) (Ctrl-Mayús^6)", "var_ev0", false},
    {Command::InsertEV1, "V_EV1", "Ctrl+Shift+7", Scope::Editor, "Escribe 'V_EV1' en el guión (parámetro pasado 1) (Ctrl-Mayús^7)", "var_ev1", false},
    {Command::InsertEV2, "V_EV2", "Ctrl+Shift+8", Scope::Editor, "Escribe 'V_EV2' en el guión (parámetro pasado 2) (Ctrl-Mayús^8)", "var_ev2", false},
    {Command::InsertEV3, "V_EV3", "Ctrl+Shift+9", Scope::Editor, "Escribe 'V_EV3' en el guión (parámetro pasado 3) (Ctrl-Mayús^9)", "var_ev3", false},
    {Command::InsertRV0, "V_RV0", "Ctrl+Alt+0", Scope::Editor, "Escribe 'V_RV0' en el guión (variable de retorno 0) (Ctrl-Alt^0)", "var_rv0", false},
    {Command::InsertRV1, "V_RV1", "Ctrl+Alt+1", Scope::Editor, "Escribe 'V_RV1' en el guión (variable de retorno 1) (Ctrl-Alt^1)", "var_rv1", false},
    {Command::InsertRV2, "V_RV2", "Ctrl+Alt+2", Scope::Editor, "Escribe 'V_RV2' en el guión (variable de retorno 2) (Ctrl-Alt^2)", "var_rv2", false},
    {Command::InsertRV3, "V_RV3", "Ctrl+Alt+3", Scope::Editor, "Escribe 'V_RV3' en el guión (variable de retorno 3) (Ctrl-Alt^3)", "var_rv3", false},

    {Command::Run, "&Ejecutar\tF5", "F5", Scope::Program, "Preprocesa y comienza la ejecución", "run", false},
    {Command::RunWithoutPreprocess, "Ejecutar sin preprocesar\tCtrl-F5", "Ctrl+F5", Scope::Program, "", "", false},
    {Command::Pause, "P&ausa\tCtrl-Espacio", "Ctrl+Space", Scope::Program, "Pausa momentáneamente la ejecución del proyecto", "pause", false},
    {Command::Step, "Ejecutar Pa&so\tCtrl-O", "Ctrl+O", Scope::Program, "Ejecuta un único cuadro o ciclo", "step", false},
    {Command::ResetEmulator, "&Reiniciar Emulador", "", Scope::None, "Reinicia el Emulador de GBA", "reset", false},
    {Command::Preprocess, "&Preprocesar\tCtrl-P", "Ctrl+P", Scope::Program, "Preprocesa/Actualiza el proyecto ", "preprocess", false},
    {Command::StopOnError, "&Detenerse en un Error\tF8", "F8", Scope::Program, "Activa/Desactiva la opción 'detenerse en un error'", "stop_on_error", true},
    {Command::Break, "Inte&rrumpir", "", Scope::None, "Interrumpe la ejecución inmediatamente", "break", false},
    {Command::StackTrace, "Ras&trear Pila", "", Scope::None, "Rastrea todas las pilas de llamadas para el próximo ciclo de ejecución", "stack_trace", false},
    {Command::LoadGame, "&Cargar Juego\tAlt-L", "Alt+L", Scope::Program, "", "load_game", false},
    {Command::SaveGame, "&Guardar Juego\tAlt-S", "Alt+S", Scope::Program, "", "save_game", false},
    {Command::Screenshot, "Sacar Foto (Impr-Pant)", "", Scope::None, "", "screenshot", false},

    {Command::ToggleBreakpoint, "&Agregar Punto de Interrupción\tF9", "F9", Scope::Program, "Agrega/Elimina de la línea actual un punto de interrupción", "breakpoint", false},
    {Command::StepOver, "Un Paso por &Fuera\tF10", "F10", Scope::Program, "Da un único paso por fuera después de una interrupción", "step_over", false},
    {Command::StepInto, "Un Paso por &Dentro\tF11", "F11", Scope::Program, "Da un único paso por dentro después de una interrupción", "step_into", false},
    {Command::RunFunction, "Ejecutar solo Función actual\tMayús+F11", "Shift+F11", Scope::Program, "Se ejecuta línea por línea hasta terminar con la función actual", "step_out", false},
    {Command::RunToCursor, "Ejecutar hasta el cursor\tCtrl+F10", "Ctrl+F10", Scope::Program, "Se ejecuta hasta que se alcanza la posición del cursor ", "run_to_cursor", false},

    {Command::HideEmulatorInactive, "Emulador\t(Inactivo)", "", Scope::None, "", "", true},
    {Command::ShowBrowser, "Navegador de Guiones", "", Scope::None, "Muestra/Oculta la ventana de navegación", "browser", true},
    {Command::ShowNotes, "Notas", "", Scope::None, "Muestra/Oculta las notas de salida", "notes", true},
    {Command::ShowEmulator, "Ventana de Emulación", "", Scope::None, "Muestra/Oculta la ventana de emulación", "emulator", true},
    {Command::ClearNotes, "Limpiar Notas", "", Scope::None, "Limpia la ventana de notas", "clear_notes", false},
    {Command::ToolbarMain, "Principal", "", Scope::None, "", "", true},
    {Command::ToolbarAssets, "Medios", "", Scope::None, "", "", true},
    {Command::ToolbarViews, "Vistas", "", Scope::None, "", "", true},
    {Command::ToolbarEdit, "Estándar", "", Scope::None, "", "", true},
    {Command::ToolbarFormat, "Formato", "", Scope::None, "", "", true},
    {Command::ToolbarVariables, "Variables", "", Scope::None, "", "", true},

    {Command::UserGuide, "&Guía de Usuario...\tF1", "F1", Scope::Program, "", "help", false},
    {Command::Tips, "&Sabias que...", "", Scope::None, "", "", false},
    {Command::WhatsNew, "&Novedades de esta versión...", "", Scope::None, "", "", false},
    {Command::About, "&Acerca de Tarvolin...", "", Scope::None, "", "tarvolin", false},

};
static_assert(std::size(kActions) == static_cast<std::size_t>(Command::Count),
              "every command has its action");

const char* const kMenuTitles[] = {"&Archivo", "E&dición", "&Vistas", "&Medios", "&Ejecutar",
                                   "&Depurar", "&Red", "&Herramientas", "&Ventanas", "&Ayuda"};

}  // namespace

void TarvolinMainWindow::createActions() {
  for (std::size_t i = 0; i < std::size(kActions); ++i) {
    const ActionSpec& spec = kActions[i];
    Q_ASSERT(static_cast<std::size_t>(spec.command) == i);
    auto* a = new QAction(QString::fromUtf8(spec.text), this);
    a->setObjectName(QStringLiteral("action%1").arg(i));
    if (spec.shortcut[0]) {
      a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
      a->setShortcutContext(spec.scope == Scope::Program ? Qt::ApplicationShortcut
                                                         : Qt::WindowShortcut);
    }
    if (spec.tip[0]) a->setToolTip(QString::fromUtf8(spec.tip));
    if (spec.icon[0]) a->setIcon(studioIcon(spec.icon));
    a->setCheckable(spec.checkable);
    // Shortcuts work without the menu bar showing the action (toolbar-only
    // commands and hidden toolbars).
    addAction(a);
    actions_[i] = a;
  }
  rebuildCommentShortcuts();
}

QMenu* TarvolinMainWindow::menu(MenuSlot slot) {
  const auto index = static_cast<std::size_t>(slot);
  if (menus_[index]) return menus_[index];
  auto* m = new QMenu(QString::fromUtf8(kMenuTitles[index]), this);
  // Before the first menu that comes after this one.
  QAction* before = nullptr;
  for (std::size_t next = index + 1; next < menus_.size() && !before; ++next)
    if (menus_[next]) before = menus_[next]->menuAction();
  menuBar()->insertMenu(before, m);
  menus_[index] = m;
  return m;
}

QMenu* TarvolinMainWindow::importMenu() {
  if (importMenu_) return importMenu_;
  importMenu_ = new QMenu(QStringLiteral("Importar"), this);
  menu(MenuSlot::File)->insertMenu(importAnchor_, importMenu_);
  return importMenu_;
}

void TarvolinMainWindow::createMenus() {
  auto add = [this](QMenu* m, std::initializer_list<Command> commands) {
    for (Command c : commands) m->addAction(action(c));
  };
  QMenu* file = menu(MenuSlot::File);
  add(file, {Command::OpenScript, Command::CloseScript});
  file->addSeparator();
  add(file, {Command::OpenProject, Command::CloseProject, Command::ProjectSettings});
  file->addSeparator();
  add(file, {Command::SaveScript, Command::SaveAll});
  importAnchor_ = file->addSeparator();
  add(file, {Command::ProgramSettings});
  file->addSeparator();
  add(file, {Command::Exit});

  QMenu* edit = menu(MenuSlot::Edit);
  add(edit, {Command::Undo, Command::Redo});
  edit->addSeparator();
  add(edit, {Command::Cut, Command::Copy, Command::Paste, Command::Delete});
  edit->addSeparator();
  add(edit, {Command::Find, Command::FindInScripts, Command::Replace});
  edit->addSeparator();
  add(edit, {Command::NextBookmark, Command::PreviousBookmark, Command::ToggleBookmark,
             Command::GotoLine});
  edit->addSeparator();
  QMenu* advanced = edit->addMenu(QStringLiteral("A&vanzado"));
  add(advanced, {Command::Comment, Command::BlockStart, Command::BlockEnd, Command::SelectAll});

  QMenu* run = menu(MenuSlot::Run);
  add(run, {Command::Run, Command::Pause, Command::Step});
  run->addSeparator();
  add(run, {Command::ResetEmulator, Command::Preprocess, Command::StopOnError});
  run->addSeparator();
  add(run, {Command::Break, Command::StackTrace});
  run->addSeparator();
  add(run, {Command::LoadGame, Command::SaveGame});

  QMenu* debug = menu(MenuSlot::Debug);
  add(debug, {Command::ToggleBreakpoint});
  debug->addSeparator();
  add(debug, {Command::StepOver, Command::StepInto, Command::RunFunction, Command::RunToCursor});

  QMenu* windows = menu(MenuSlot::Windows);
  add(windows, {Command::HideEmulatorInactive, Command::ShowBrowser, Command::ShowNotes});
  if (callStackDock_) windows->addAction(callStackDock_->toggleViewAction());
  windows->addSeparator();
  add(windows, {Command::ToolbarMain, Command::ToolbarAssets, Command::ToolbarViews,
                Command::ToolbarEdit, Command::ToolbarFormat, Command::ToolbarVariables});

  QMenu* help = menu(MenuSlot::Help);
  add(help, {Command::UserGuide});
  help->addSeparator();
  add(help, {Command::Tips, Command::WhatsNew});
  help->addSeparator();
  add(help, {Command::About});
}

void TarvolinMainWindow::createToolbars() {
  struct Group {
    ToolbarGroup group;
    const char* name;
    std::initializer_list<Command> commands;
  };
  const Group groups[] = {
      {ToolbarGroup::Main, "Principal",
       {Command::StopOnError, Command::ShowBrowser, Command::ShowNotes, Command::ShowEmulator,
        Command::ToggleBreakpoint, Command::StepOver, Command::StepInto, Command::RunFunction,
        Command::RunToCursor, Command::ClearNotes, Command::ResetEmulator, Command::StackTrace,
        Command::Break, Command::Run, Command::Pause, Command::Step, Command::Preprocess}},
      {ToolbarGroup::Assets, "Medios", {}},
      {ToolbarGroup::Views, "Vistas", {}},
      {ToolbarGroup::Edit, "Estándar",
       {Command::OpenScript, Command::SaveScript, Command::SaveAll, Command::Cut, Command::Copy,
        Command::Paste, Command::Undo, Command::Redo, Command::Find, Command::Replace,
        Command::FindInScripts}},
      {ToolbarGroup::Format, "Formato",
       {Command::ToggleBookmark, Command::NextBookmark, Command::Indent, Command::Unindent,
        Command::GotoLine, Command::Comment, Command::InsertSeparator,
        Command::InsertFunctionHeader}},
      {ToolbarGroup::Variables, "Variables",
       {Command::InsertLV0, Command::InsertLV1, Command::InsertLV2, Command::InsertLV3,
        Command::InsertLV4, Command::InsertLV5, Command::InsertEV0, Command::InsertEV1,
        Command::InsertEV2, Command::InsertEV3, Command::InsertRV0, Command::InsertRV1,
        Command::InsertRV2, Command::InsertRV3}},
  };
  for (const Group& g : groups) {
    auto* bar = new QToolBar(QString::fromUtf8(g.name), this);
    bar->setObjectName(QStringLiteral("toolbar%1").arg(static_cast<int>(g.group)));
    bar->setIconSize(QSize(22, 22));
    bar->setMovable(false);
    bar->setFloatable(false);
    // The toolbar's own menu would hide a group behind the settings' back.
    bar->toggleViewAction()->setVisible(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (Command c : g.commands) bar->addAction(action(c));
    // The editing groups take a second row under the run controls.
    if (g.group == ToolbarGroup::Format) addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, bar);
    toolbars_[static_cast<std::size_t>(g.group)] = bar;
  }
  // The call-stack window's button sits with the other show/hide buttons.
  if (callStackDock_)
    toolbar(ToolbarGroup::Main)->insertAction(action(Command::ToggleBreakpoint),
                                              callStackDock_->toggleViewAction());
}

}  // namespace tarvolin::shell
