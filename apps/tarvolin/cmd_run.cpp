// tarvolin run PROJECT.tvp [--frames N] [--press BUTTON@FRAME[-LAST]]...:
// runs the game headless as the emulator would, frame by frame, with the
// pad driven by the --press list. Notes lines go to stdout. Exit 0 when all
// frames ran, 1 on a preprocess failure or a run-time error, 2 on a usage
// or file error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "game_session.h"
#include "platform/scripted_input.h"
#include "run_screenshots.h"
#include "workbench/game_audio.h"
#include "workbench/headless.h"

namespace tarvolin::cli {
namespace {

void usage() {
  std::fprintf(stderr,
               "Uso: tarvolin run PROYECTO.tvp [--frames N] [--press BOTÓN@CUADRO[-ÚLTIMO]]...\n"
               "       [--screenshot IMAGEN.png] [--screenshot-every K --out CARPETA]\n"
               "       [--audio-out SONIDO.wav]\n");
}

bool parseCount(const std::string& text, int& out) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  out = std::atoi(text.c_str());
  return true;
}

int runRun(const Args& args) {
  std::string projectPath;
  int frames = 1;
  std::vector<script::PressRange> presses;
  ScreenshotOptions shots;
  std::string audioOut;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (const int taken = shots.take(args, i)) {
      if (taken == 2) return 2;
    } else if (a == "--frames") {
      if (i + 1 >= args.size() || !parseCount(args[i + 1], frames)) {
        std::fprintf(stderr, "tarvolin run: --frames necesita un número de cuadros\n");
        return 2;
      }
      ++i;
    } else if (a == "--press") {
      script::PressRange range;
      std::string error;
      if (i + 1 >= args.size() || !script::ParsePressOption(args[i + 1], range, error)) {
        std::fprintf(stderr, "tarvolin run: --press %s: %s\n", i + 1 < args.size() ? args[i + 1].c_str() : "",
                     error.empty() ? "falta el valor" : error.c_str());
        return 2;
      }
      presses.push_back(range);
      ++i;
    } else if (a == "--audio-out") {  // records the game's sound (44100 Hz, 8-bit stereo)
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        std::fprintf(stderr, "tarvolin run: --audio-out necesita un archivo .wav\n");
        return 2;
      }
      audioOut = args[++i];
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "tarvolin run: opción desconocida '%s'\n", a.c_str());
      usage();
      return 2;
    } else if (projectPath.empty()) {
      projectPath = a;
    } else {
      usage();
      return 2;
    }
  }
  if (projectPath.empty()) {
    usage();
    return 2;
  }
  if (int rc = shots.check()) return rc;

  NotesHost host;
  Workbench bench(host);
  if (int rc = OpenSession(bench, projectPath, "run")) return rc;
  ScriptRuntime& runtime = bench.scripts();
  platform::ScriptedKeySource keys;
  platform::FixedEmulatorView view;
  runtime.input().Attach(keys, view);
  for (const script::PressRange& p : presses) script::ApplyPress(p, runtime.input().Keys(), keys);

  if (!runtime.Preprocess(bench.project(), false)) {
    std::fflush(stdout);
    return 1;
  }
  GameAudio audio(bench.audio(), bench.programSettings().displayRate);
  if (!audio.Open(audioOut)) {
    std::fprintf(stderr, "tarvolin run: no se puede crear %s\n", audioOut.c_str());
    return 2;
  }
  FrameHooks hooks;
  hooks.before = [&](int f) { keys.setFrame(f); };
  hooks.after = [&](int f) {
    if (!shots.afterFrame(bench.machine(), f)) return false;
    audio.FrameRan();
    return true;
  };
  switch (RunHeadlessFrames(bench, frames, hooks)) {
    case HeadlessOutcome::Failed:
      shots.afterRun(bench.machine());
      std::fflush(stdout);
      return 1;
    case HeadlessOutcome::Stopped: return 2;
    case HeadlessOutcome::Ran: break;
  }
  std::fflush(stdout);
  if (!audio.Close()) {
    std::fprintf(stderr, "tarvolin run: no se pudo escribir %s\n", audioOut.c_str());
    return 2;
  }
  return shots.afterRun(bench.machine()) ? 0 : 2;
}

const SubcommandRegistrar registrar({30, "run",
                                     "PROYECTO.tvp [--frames N] [--press BOTÓN@CUADRO[-ÚLTIMO]] [--screenshot IMAGEN.png] "
                                     "[--screenshot-every K --out CARPETA] [--audio-out SONIDO.wav]  ejecuta el juego sin pantalla",
                                     runRun});

}  // namespace
}  // namespace tarvolin::cli
