// What the editor's window tests share: a host that records notes (with the
// script and line they are tied to) and message boxes and answers questions
// from a queue, a workbench, an editor area, and a temporary Script folder.
#pragma once

#include <QTest>
#include <deque>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "editor/editor_area.h"
#include "editor/script_editor.h"
#include "workbench/workbench.h"

namespace tarvolin::test {

class EditorHost : public Host {
 public:
  struct Note {
    std::string text, script;
    int line = 0;
  };
  void outputLine(std::string_view text) override { notes.push_back({std::string(text), {}, 0}); }
  void outputLineAt(std::string_view text, std::string_view script, int line) override {
    notes.push_back({std::string(text), std::string(script), line});
  }
  MessageAnswer messageBox(std::string_view, std::string_view text, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    boxes.emplace_back(text);
    if (answers.empty()) return defaultAnswer;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool progress(int percent, std::string_view label) override {
    progressCalls.emplace_back(percent, std::string(label));
    return percent < cancelAt;
  }
  bool noted(std::string_view text) const {
    for (const auto& n : notes)
      if (n.text == text) return true;
    return false;
  }

  std::vector<Note> notes;
  std::vector<std::string> boxes;
  std::deque<MessageAnswer> answers;
  std::vector<std::pair<int, std::string>> progressCalls;
  int cancelAt = 1000;  // progress at or above this asks to cancel
};

struct EditorRig {
  EditorRig() : workbench(host), area(workbench, host) {
    workbench.setWorkingFolder(dir.path());
    area.setBeepHandler([this] { ++beeps; });
    area.resize(800, 600);
  }
  // Writes a script into the folder and opens it; the active editor.
  editor::ScriptEditor* open(const std::string& name, const std::string& bytes) {
    const std::string path = dir.write(name, bytes);
    if (!area.openScript(QString::fromStdString(path))) return nullptr;
    return area.activeEditor();
  }
  // Types text as key presses ("\n" is Return).
  static void type(editor::ScriptEditor* e, const std::string& text) {
    std::string run;
    for (char c : text) {
      if (c != '\n') {
        run += c;
        continue;
      }
      if (!run.empty()) QTest::keyClicks(e, QString::fromStdString(run));
      run.clear();
      QTest::keyClick(e, Qt::Key_Return);
    }
    if (!run.empty()) QTest::keyClicks(e, QString::fromStdString(run));
  }
  // The core document's lines of an editor.
  std::vector<std::string> documentLines(editor::ScriptEditor* e) const {
    std::vector<std::string> lines;
    const script::ScriptDocument& doc = e->scriptDocument();
    for (int i = 0; i < doc.lineCount(); ++i) lines.emplace_back(doc.line(i));
    return lines;
  }
  // Selects from (line, column) to (line, column), 0-based byte columns.
  static void select(editor::ScriptEditor* e, int line1, int col1, int line2, int col2) {
    const long a = e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line1)) + col1;
    const long b = e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line2)) + col2;
    e->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(a), b);
  }

  TempDir dir;
  EditorHost host;
  Workbench workbench;
  editor::EditorArea area;
  int beeps = 0;
};

}  // namespace tarvolin::test
