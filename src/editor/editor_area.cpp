#include "editor/editor_area.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "common/text.h"
#include "editor/block_match.h"
#include "editor/editor_documents.h"
#include "editor/find_dialog.h"
#include "editor/script_editor.h"
#include "editor/status_text.h"
#include "editor/variable_tip.h"
#include "editor/word_lists.h"
#include "platform/paths.h"
#include "platform/files.h"
#include "workbench/workbench.h"

namespace tarvolin::editor {

struct EditorArea::DocState {
  ScriptEditor* view = nullptr;
  FileStamp stamp;
  // The file ended with a line end: saving keeps one there.
  bool trailingNewline = false;
};

namespace {

constexpr std::string_view kCaption = "Tarvolin";

std::string ToStd(const QString& s) { return s.toStdString(); }

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec1, ec2;
  const auto ca = std::filesystem::weakly_canonical(a, ec1);
  const auto cb = std::filesystem::weakly_canonical(b, ec2);
  if (ec1 || ec2) return a == b;
  return ca == cb;
}

}  // namespace

EditorArea::EditorArea(Workbench& workbench, Host& host, QWidget* parent)
    : QWidget(parent), workbench_(workbench), host_(host) {
  documents_ = std::make_unique<EditorDocuments>([this] { return scriptFolder(); });
  words_ = std::make_unique<WordLists>();
  workbench_.scripts().setDocuments(documents_.get());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(this);
  tabs_->setDocumentMode(true);
  tabs_->setTabsClosable(true);
  tabs_->setUsesScrollButtons(true);
  tabs_->tabBar()->setElideMode(Qt::ElideNone);
  layout->addWidget(tabs_);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int tab) { closeTab(tab); });
  connect(tabs_, &QTabWidget::currentChanged, this, &EditorArea::onCurrentTabChanged);

  status_ = new EditStatus(nullptr);
  beep_ = [] { QApplication::beep(); };
  refreshWordLists();
}

EditorArea::~EditorArea() {
  // The views read the documents while they go; the documents go last, and
  // the runtime takes back its own before ours disappear.
  disconnect(tabs_, nullptr, this, nullptr);
  while (tabs_->count() > 0) {
    QWidget* w = tabs_->widget(0);
    tabs_->removeTab(0);
    delete w;
  }
  workbench_.scripts().setDocuments(nullptr);
  if (status_ && !status_->parent()) delete status_.data();
}

// ---- Queries -------------------------------------------------------------------

bool EditorArea::hasDocuments() const { return tabs_->count() > 0; }

int EditorArea::openCount() const { return tabs_->count(); }

ScriptEditor* EditorArea::activeEditor() const { return qobject_cast<ScriptEditor*>(tabs_->currentWidget()); }

ScriptEditor* EditorArea::editorFor(int document) const {
  if (document < 0 || document >= static_cast<int>(states_.size()) || !states_[static_cast<std::size_t>(document)])
    return nullptr;
  return states_[static_cast<std::size_t>(document)]->view;
}

int EditorArea::currentDocument() const {
  ScriptEditor* e = activeEditor();
  return e ? e->document() : -1;
}

QString EditorArea::activeScriptName() const {
  const int d = currentDocument();
  return d < 0 ? QString() : QString::fromStdString(documents_->at(d).name());
}

bool EditorArea::activeModified() const {
  ScriptEditor* e = activeEditor();
  return e && e->isModified();
}

bool EditorArea::anyModified() const {
  for (int i = 0; i < tabs_->count(); ++i)
    if (auto* e = qobject_cast<ScriptEditor*>(tabs_->widget(i)); e && e->isModified()) return true;
  return false;
}

int EditorArea::currentLine() const {
  ScriptEditor* e = activeEditor();
  return e ? e->caretLine() + 1 : 0;
}

ScriptPlace EditorArea::cursorScriptAndLine() const {
  ScriptEditor* e = activeEditor();
  if (!e) return {};
  return {e->document(), e->caretLine()};
}

int EditorArea::documentIndexOf(const QString& fileName) const { return documents_->find(ToStd(fileName)); }

std::string EditorArea::scriptFolder() const {
  project::Project& p = workbench_.project();
  return p.isOpen() ? p.scriptFolderPath() : workbench_.workingFolder();
}

script::ParseEnv EditorArea::parseEnv(int document) const {
  script::Interpreter& interp = workbench_.scripts().interpreter();
  script::ParseEnv env;
  env.tables = &interp.tables();
  env.families = &interp.families();
  env.script = document;
  return env;
}

void EditorArea::note(const std::string& text) { host_.outputLine(text); }

void EditorArea::beep() {
  if (beep_) beep_();
}

void EditorArea::setBeepHandler(std::function<void()> beep) { beep_ = std::move(beep); }
void EditorArea::setOpenChooser(std::function<bool(QString&)> chooser) { openChooser_ = std::move(chooser); }
void EditorArea::setLineChooser(std::function<bool(int, int&)> chooser) { lineChooser_ = std::move(chooser); }
void EditorArea::setFindTextChooser(std::function<bool(QString&)> chooser) {
  findTextChooser_ = std::move(chooser);
}

EditorArea::DocState& EditorArea::state(int document) {
  if (states_.size() < static_cast<std::size_t>(documents_->count()))
    states_.resize(static_cast<std::size_t>(documents_->count()));
  auto& slot = states_[static_cast<std::size_t>(document)];
  if (!slot) {
    slot = std::make_unique<DocState>();
    slot->stamp = documents_->takeLoadStamp(documents_->at(document).path());
  }
  return *slot;
}

// ---- Project hooks -----------------------------------------------------------------

void EditorArea::fillProjectHooks(project::ProjectHooks& hooks) {
  hooks.closeDocuments = [this] { return closeProjectDocuments(); };
  hooks.saveDocuments = [this](bool confirm) { return saveModified(confirm); };
  hooks.openScript = [this](const std::string& path) { openPath(path, true); };
}

bool EditorArea::saveModified(bool confirm) {
  bool ok = true;
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* e = qobject_cast<ScriptEditor*>(tabs_->widget(i));
    if (!e || !e->isModified()) continue;
    if (confirm) {
      const MessageAnswer a = host_.messageBox(
          kCaption, "Guardar cambios a " + documents_->at(e->document()).name(), MessageButtons::YesNoCancel,
          MessageAnswer::Yes);
      if (a == MessageAnswer::Cancel) return false;
      if (a == MessageAnswer::No) continue;
    }
    if (!saveDocument(e->document())) ok = false;
  }
  return ok;
}

bool EditorArea::closeProjectDocuments() {
  if (!closeAll()) return false;
  documents_->clear();
  states_.clear();
  executionDocument_ = -1;
  workbench_.scripts().interpreter().ForgetScripts();
  refreshWordLists();
  return true;
}

// ---- Opening -------------------------------------------------------------------------

void EditorArea::newOrOpenScript() {
  QString path;
  bool chosen = false;
  if (openChooser_) {
    chosen = openChooser_(path);
  } else {
    QFileDialog dialog(window(), tr("Nuevo/Abrir Guión"), QString::fromStdString(scriptFolder()),
                       tr("Guiones (*.txt);;Todos los archivos (*)"));
    // A name that does not exist yet makes a new script.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      path = dialog.selectedFiles().first();
      chosen = true;
    }
    workbench_.project().restoreWorkingFolder();
  }
  if (chosen && !path.isEmpty()) openScript(path);
}

bool EditorArea::openScript(const QString& path) { return openPath(ToStd(path), true); }

bool EditorArea::openScriptAt(const QString& name, int line) {
  int d = documents_->find(ToStd(name));
  if (d < 0 || !editorFor(d)) {
    const std::string stored = ToStd(name);
    const std::string path = platform::isAbsolutePath(stored) ? stored : platform::resolvePath(scriptFolder(), stored);
    if (!openPath(path, true)) return false;
    d = currentDocument();
  }
  ScriptEditor* e = showDocument(d);
  if (!e) return false;
  if (line >= 1 && line <= e->lineTotal()) e->goToLine0(line - 1);
  e->setFocus();
  return true;
}

bool EditorArea::openPath(const std::string& given, bool report) {
  if (given.empty()) return false;
  const std::string path = platform::isAbsolutePath(given) ? given : platform::resolvePath(scriptFolder(), given);
  const std::string name(platform::fileNameOf(path));
  for (int d = 0; d < documents_->count(); ++d) {
    if (!SamePath(documents_->at(d).path(), path)) continue;
    if (!editorFor(d)) {
      if (!platform::fileExists(path)) {
        // A closed script that was never saved comes back, new and empty.
        documents_->at(d) = script::ScriptDocument(name, path, {});
        if (report) note("Creando guión nuevo <" + name + ">");
      } else {
        if (documents_->at(d).name().empty()) documents_->at(d) = script::ScriptDocument(name, path, {});
        revertHiddenDocument(d);
      }
    }
    return showDocument(d) != nullptr;
  }
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  std::string bytes;
  if (exists) {
    const FileStamp stamp = StampOf(path);
    if (std::filesystem::is_directory(path, ec) || !platform::readWholeFile(path, bytes)) {
      if (report) note("ERROR : No se puede leer el archivo <" + name + "> ");
      return false;
    }
    const int d = documents_->add(std::make_unique<script::ScriptDocument>(name, path, script::SplitLines(bytes)));
    DocState& st = state(d);
    st.stamp = stamp;
    st.trailingNewline = !bytes.empty() && bytes.back() == '\n';
    if (report) note("<" + name + "> se leyó exitosamente");
    return showDocument(d) != nullptr;
  }
  const int d = documents_->add(std::make_unique<script::ScriptDocument>(name, path, std::vector<std::string>()));
  state(d).stamp = FileStamp();
  if (report) note("Creando guión nuevo <" + name + ">");
  return showDocument(d) != nullptr;
}

ScriptEditor* EditorArea::showDocument(int document) {
  if (document < 0 || document >= documents_->count()) return nullptr;
  DocState& st = state(document);
  if (!st.view) {
    auto* view = new ScriptEditor(workbench_, *words_, document, tabs_);
    view->loadDocumentText();
    view->applySettings(workbench_.programSettings());
    view->variableTip = [this](int doc, const std::string& line, int column, QString& tip) {
      std::string reference;
      std::int32_t value = 0;
      if (!VariableAt(line, column, parseEnv(doc), workbench_.scripts().interpreter(), reference, value))
        return false;
      tip = QString::fromStdString(VariableTipText(reference, value));
      return true;
    };
    connect(view, &QsciScintilla::modificationChanged, this, [this, view](bool) {
      updateTabTitle(view);
      emit modificationChanged();
    });
    connect(view, &ScriptEditor::caretLineChanged, this, [this, view](int) {
      if (view == activeEditor()) updateStatus();
    });
    connect(view, &QsciScintilla::textChanged, this, [this, view] {
      if (view == activeEditor()) updateStatus();
    });
    connect(view, &ScriptEditor::contextMenuRequested, this,
            [this, view](const QPoint& global, int position) { showContextMenu(view, global, position); });
    st.view = view;
    const int tab = tabs_->addTab(view, QString());
    tabs_->setTabToolTip(tab, QString::fromStdString(documents_->at(document).path()));
    updateTabTitle(view);
  }
  tabs_->setCurrentWidget(st.view);
  return st.view;
}

void EditorArea::updateTabTitle(ScriptEditor* editor) {
  const int tab = tabs_->indexOf(editor);
  if (tab < 0) return;
  QString title = QString::fromStdString(documents_->at(editor->document()).name());
  if (editor->isModified()) title += QStringLiteral(" *");
  tabs_->setTabText(tab, title);
}

void EditorArea::onCurrentTabChanged(int) {
  documents_->setActive(currentDocument());
  updateStatus();
  emit activeDocumentChanged();
}

void EditorArea::updateStatus() {
  if (!status_) return;
  QString text;
  if (ScriptEditor* e = activeEditor()) {
    const project::Project& p = workbench_.project();
    const std::string line = e->lineBytes(e->caretLine());
    text = e->toText(StatusTextForLine(line, parseEnv(e->document()), p.isOpen() ? &p.macros() : nullptr));
  }
  if (text == status_->text()) return;
  status_->setText(text);
  emit statusTextChanged(text);
}

// ---- Saving and closing ------------------------------------------------------------

bool EditorArea::saveDocument(int document) {
  if (document < 0 || document >= documents_->count()) return false;
  project::Project& project = workbench_.project();
  if (project.isOpen() && !project.mayWriteScript()) return false;
  DocState& st = state(document);
  const script::ScriptDocument& doc = documents_->at(document);
  std::vector<std::string> lines;
  if (st.view) {
    lines = st.view->allLines();
    // An empty text is no line at all.
    if (lines.size() == 1 && lines[0].empty()) lines.clear();
  } else {
    for (int i = 0; i < doc.lineCount(); ++i) lines.emplace_back(doc.line(i));
  }
  std::string bytes = JoinScriptLines(lines);
  if (st.trailingNewline && !lines.empty()) bytes += "\r\n";
  if (!platform::safeWrite(doc.path(), bytes)) {
    note("ERROR: No se puede escribir el archivo <" + doc.name() + ">");
    return false;
  }
  note("<" + doc.name() + "> fue escrito exitosamente");
  st.stamp = StampOf(doc.path());
  if (st.view) st.view->setModified(false);
  return true;
}

bool EditorArea::saveActive() {
  const int d = currentDocument();
  return d >= 0 && saveDocument(d);
}

bool EditorArea::saveAll() { return saveModified(false); }

bool EditorArea::askSaveBeforeClose(int document) {
  ScriptEditor* e = editorFor(document);
  if (!e || !e->isModified()) return true;
  const MessageAnswer a = host_.messageBox(kCaption, "Guardar cambios a " + documents_->at(document).name(),
                                           MessageButtons::YesNoCancel, MessageAnswer::Yes);
  if (a == MessageAnswer::Cancel) return false;
  if (a == MessageAnswer::Yes) return saveDocument(document);
  return true;
}

void EditorArea::revertHiddenDocument(int document) {
  // A document without a tab is the file as it is on disk.
  script::ScriptDocument& doc = documents_->at(document);
  DocState& st = state(document);
  std::string bytes;
  if (platform::readWholeFile(doc.path(), bytes)) {
    std::vector<std::string> lines = script::SplitLines(bytes);
    bool same = static_cast<int>(lines.size()) == doc.lineCount();
    for (int i = 0; same && i < doc.lineCount(); ++i) same = doc.line(i) == lines[static_cast<std::size_t>(i)];
    if (!same) doc.setLines(std::move(lines));
    st.trailingNewline = !bytes.empty() && bytes.back() == '\n';
    st.stamp = StampOf(doc.path());
  } else if (!platform::fileExists(doc.path())) {
    // Never saved: no file by that name exists, so no script may find it.
    doc = script::ScriptDocument(std::string(), doc.path(), {});
  }
  for (int i = 0; i < doc.lineCount(); ++i) doc.setBreakpoint(i, false);
}

bool EditorArea::closeTab(int tab) {
  auto* e = qobject_cast<ScriptEditor*>(tabs_->widget(tab));
  if (!e) return true;
  const int d = e->document();
  if (!askSaveBeforeClose(d)) return false;
  if (executionDocument_ == d) executionDocument_ = -1;
  state(d).view = nullptr;
  tabs_->removeTab(tab);
  delete e;
  revertHiddenDocument(d);
  if (tabs_->count() == 0) onCurrentTabChanged(-1);
  emit modificationChanged();
  return true;
}

bool EditorArea::closeActive() {
  const int tab = tabs_->currentIndex();
  return tab < 0 || closeTab(tab);
}

bool EditorArea::closeAll() {
  while (tabs_->count() > 0) {
    const int tab = tabs_->currentIndex() >= 0 ? tabs_->currentIndex() : 0;
    if (!closeTab(tab)) return false;
  }
  return true;
}

void EditorArea::nextDocument() {
  const int n = tabs_->count();
  if (n > 1) tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % n);
  focusEditor();
}

void EditorArea::previousDocument() {
  const int n = tabs_->count();
  if (n > 1) tabs_->setCurrentIndex((tabs_->currentIndex() + n - 1) % n);
  focusEditor();
}

void EditorArea::focusEditor() {
  if (ScriptEditor* e = activeEditor()) e->setFocus();
}

// ---- Files changed on disk --------------------------------------------------------

void EditorArea::reloadDocument(int document) {
  script::ScriptDocument& doc = documents_->at(document);
  DocState& st = state(document);
  std::string bytes;
  if (!platform::readWholeFile(doc.path(), bytes)) return;
  st.trailingNewline = !bytes.empty() && bytes.back() == '\n';
  st.stamp = StampOf(doc.path());
  if (st.view) {
    st.view->reloadKeepingMarkers(script::SplitLines(bytes));
    updateTabTitle(st.view);
  } else {
    doc.setLines(script::SplitLines(bytes));
  }
}

void EditorArea::checkFilesChangedOnDisk() {
  // A question below moves the activation, which asks for this check again.
  if (checkingDisk_) return;
  checkingDisk_ = true;
  for (int d = 0; d < documents_->count(); ++d) {
    DocState& st = state(d);
    const std::string& path = documents_->at(d).path();
    const FileStamp now = StampOf(path);
    if (!now.exists || now == st.stamp) continue;
    st.stamp = now;
    if (st.view && st.view->isModified()) {
      const MessageAnswer a = host_.messageBox(
          kCaption,
          "\"" + path + "\"\n tiene cambios sin guardar y ha sido modificado externamente. ¿Perder cambios locales?",
          MessageButtons::YesNo, MessageAnswer::No);
      if (a != MessageAnswer::Yes) continue;
    }
    reloadDocument(d);
  }
  checkingDisk_ = false;
  emit modificationChanged();
}

// ---- Settings and word lists --------------------------------------------------------

void EditorArea::applySettings() {
  for (int i = 0; i < tabs_->count(); ++i)
    if (auto* e = qobject_cast<ScriptEditor*>(tabs_->widget(i))) e->applySettings(workbench_.programSettings());
}

void EditorArea::refreshWordLists() {
  words_->rebuild(&workbench_.project(), &workbench_.scripts().interpreter().tables(), documents_.get());
  for (int i = 0; i < tabs_->count(); ++i)
    if (auto* e = qobject_cast<ScriptEditor*>(tabs_->widget(i))) e->restyle();
  updateStatus();
}

// ---- The run's marks ------------------------------------------------------------------

void EditorArea::markExecutionLine(int document, int line0) {
  clearExecutionLine();
  ScriptEditor* e = showDocument(document);
  if (!e) return;
  e->setExecutionLine(line0);
  executionDocument_ = document;
}

void EditorArea::clearExecutionLine() {
  if (ScriptEditor* e = editorFor(executionDocument_)) e->setExecutionLine(-1);
  executionDocument_ = -1;
}

void EditorArea::reportError(const QString& text, const QString& ext, int document, int line0) {
  std::string name;
  if (document >= 0 && document < documents_->count()) name = documents_->at(document).name();
  const int line1 = line0 + 1;
  host_.outputLineAt("ERROR: <" + ToStd(text) + ">", name, line1);
  if (!ext.isEmpty()) host_.outputLineAt("ext:" + ToStd(ext), name, line1);
  if (!name.empty()) markExecutionLine(document, line0);
}

}  // namespace tarvolin::editor
