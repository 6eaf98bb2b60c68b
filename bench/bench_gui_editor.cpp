// The script editor on a 20,000-line script: opening it with the first
// screen coloured and painted (target under 300 ms), typing one key with the
// document update, the restyle and the repaint (target under 16 ms), and for
// reference colouring every line at once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/editor_area.h"
#include "editor/script_editor.h"
#include "workbench/workbench.h"

namespace {

using namespace tarvolin;

// A script of many functions that uses every colour: commands, numbers,
// attributes, variables, calls, comments and blocks.
std::string MakeScript(int lines) {
  std::string s;
  int written = 0;
  for (int f = 0; written < lines; ++f) {
    const std::string name = "Funcion" + std::to_string(f);
    const char* body[] = {
        "; ---- una función de ejemplo ----",
        "\tV_LV0 = 10",
        "\tWhile V_LV0 > 0",
        "\t\tSpriteSetAttribute V_LV0 [Xpos] V_EV1+3 ; posición",
        "\t\tIf G_VAR00 == 0x1F",
        "\t\t\tV_LV1 += 'A'",
        "\t\tEnd",
        "\t\tV_LV0 -= 1",
        "\tEnd",
        "\tLog \"valor %d; fin\" V_LV1",
        "Return",
    };
    s += "Function " + name + " 2 ; descripción de " + name + "\r\n";
    ++written;
    for (const char* line : body) {
      if (written >= lines) break;
      s += line;
      s += "\r\n";
      ++written;
    }
  }
  return s;
}

struct Fixture {
  QuietHost host;
  Workbench workbench{host};
  std::string folder;
  std::string path;
  Fixture() {
    folder = (std::filesystem::temp_directory_path() / "tarvolin-bench-editor").string();
    std::filesystem::create_directories(folder);
    path = folder + "/grande.txt";
    std::ofstream(path, std::ios::binary) << MakeScript(20000);
    workbench.setWorkingFolder(folder);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void Show(QWidget& w) {
  w.resize(1000, 800);
  w.show();
  QApplication::processEvents();
}

// The large script open and shown, the caret on a line.
editor::ScriptEditor* OpenShown(editor::EditorArea& area, int line) {
  Show(area);
  area.openScript(QString::fromStdString(Shared().path));
  editor::ScriptEditor* e = area.activeEditor();
  e->goToLine0(line);
  e->viewport()->repaint();
  return e;
}

void BM_OpenLargeScriptColoured(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    editor::EditorArea area(f.workbench, f.host);
    Show(area);
    area.openScript(QString::fromStdString(f.path));
    editor::ScriptEditor* e = area.activeEditor();
    // The first screen is styled and drawn.
    e->viewport()->repaint();
    benchmark::DoNotOptimize(e->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED));
    state.PauseTiming();
    area.closeProjectDocuments();
    state.ResumeTiming();
  }
  state.SetLabel("20000 lines");
}
BENCHMARK(BM_OpenLargeScriptColoured)->Unit(benchmark::kMillisecond)->Iterations(10);

void Key(QWidget* w, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

// Presses `key` and then Backspace, alternately, one per iteration, so the
// text keeps its size; each is applied, copied to the document, restyled
// and painted.
void KeyThenBackspace(benchmark::State& state, editor::ScriptEditor* e, int key, const QString& text) {
  bool erase = false;
  for (auto _ : state) {
    if (erase) Key(e, Qt::Key_Backspace, QString());
    else Key(e, key, text);
    erase = !erase;
    e->viewport()->repaint();
  }
}

void BM_TypeInLargeScript(benchmark::State& state) {
  editor::EditorArea area(Shared().workbench, Shared().host);
  // In the middle of the script, inside a function's body.
  KeyThenBackspace(state, OpenShown(area, 10003), Qt::Key_X, QStringLiteral("x"));
  area.closeProjectDocuments();
}
BENCHMARK(BM_TypeInLargeScript)->Unit(benchmark::kMillisecond);

void BM_EnterInLargeScript(benchmark::State& state) {
  // A new line also moves the functions declared below it.
  editor::EditorArea area(Shared().workbench, Shared().host);
  KeyThenBackspace(state, OpenShown(area, 100), Qt::Key_Return, QStringLiteral("\r"));
  area.closeProjectDocuments();
}
BENCHMARK(BM_EnterInLargeScript)->Unit(benchmark::kMillisecond);

void BM_ColourWholeLargeScript(benchmark::State& state) {
  editor::EditorArea area(Shared().workbench, Shared().host);
  editor::ScriptEditor* e = OpenShown(area, 0);
  for (auto _ : state) {
    e->restyle();
    e->recolor();
  }
  area.closeProjectDocuments();
}
BENCHMARK(BM_ColourWholeLargeScript)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
