// The user guide cannot rot: every script of its pages names real commands,
// and every example marked runnable runs through `tarvolin run` and prints
// what the page says it prints.
//
// Fences of the pages:
//   ```guion                      a fragment: each line must name a command
//   ```guion ejecutable [cuadros=N] [pulsar=BOTÓN@CUADRO[-ÚLTIMO]]... [error]
//                                 a whole main script, run for N frames
//                                 (2 by default); "error" expects a failure
//   ```guion archivo=NOMBRE.txt   another script of the last runnable example
//   ```macros                     the macros file entries of that example
//   ```proyecto archivo=NOMBRE     a file of that example's source root
//                                 (arrays.txt, global_names.txt ...)
//   ```salida                     what that example prints, exactly
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "script/commands.h"

namespace tarvolin::test {
namespace {

struct Example {
  std::string where;  // page:line of its fence
  std::string main;
  std::vector<std::pair<std::string, std::string>> scripts;
  std::string macros;
  std::vector<std::pair<std::string, std::string>> projectFiles;
  bool hasOutput = false;
  std::string output;
  int frames = 2;
  std::vector<std::string> presses;
  bool expectError = false;
};

struct Fragment {
  std::string where;
  std::vector<std::pair<int, std::string>> lines;  // line number in the page, text
};

struct Guide {
  std::vector<Example> examples;
  std::vector<Fragment> fragments;
  std::vector<std::string> problems;
};

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

void ReadPage(const std::filesystem::path& path, Guide& guide) {
  std::ifstream in(path);
  const std::string page = path.filename().string();
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].starts_with("```")) continue;
    const std::vector<std::string> info = Words(lines[i].substr(3));
    const std::string where = page + ":" + std::to_string(i + 1);
    std::string body;
    Fragment fragment{where, {}};
    std::size_t j = i + 1;
    for (; j < lines.size() && !lines[j].starts_with("```"); ++j) {
      body += lines[j] + "\n";
      fragment.lines.emplace_back(static_cast<int>(j + 1), lines[j]);
    }
    if (j == lines.size()) guide.problems.push_back(where + ": bloque sin cerrar");
    i = j;
    if (info.empty()) continue;
    const std::string& kind = info[0];
    bool runnable = false, error = false;
    std::string file;
    Example attributes;
    for (std::size_t k = 1; k < info.size(); ++k) {
      const std::string& w = info[k];
      if (w == "ejecutable") runnable = true;
      else if (w == "error") error = true;
      else if (w.starts_with("cuadros=")) attributes.frames = std::stoi(w.substr(8));
      else if (w.starts_with("pulsar=")) attributes.presses.push_back(w.substr(7));
      else if (w.starts_with("archivo=")) file = w.substr(8);
      else guide.problems.push_back(where + ": marca desconocida '" + w + "'");
    }
    if (kind == "guion" && runnable) {
      attributes.where = where;
      attributes.main = body;
      attributes.expectError = error;
      guide.examples.push_back(attributes);
    } else if (kind == "guion" && !file.empty()) {
      if (guide.examples.empty()) guide.problems.push_back(where + ": archivo sin ejemplo");
      else guide.examples.back().scripts.emplace_back(file, body);
    } else if (kind == "guion") {
      if (!error) guide.fragments.push_back(fragment);
    } else if (kind == "proyecto") {
      if (guide.examples.empty() || file.empty()) guide.problems.push_back(where + ": proyecto sin ejemplo o sin archivo");
      else guide.examples.back().projectFiles.emplace_back(file, body);
    } else if (kind == "macros" || kind == "salida") {
      if (guide.examples.empty()) {
        guide.problems.push_back(where + ": " + kind + " sin ejemplo");
      } else if (kind == "macros") {
        guide.examples.back().macros = body;
      } else {
        guide.examples.back().hasOutput = true;
        guide.examples.back().output = body;
      }
    }
  }
}

const Guide& TheGuide() {
  static const Guide guide = [] {
    Guide g;
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/guide"))
      if (entry.path().extension() == ".md") pages.push_back(entry.path());
    std::sort(pages.begin(), pages.end());
    for (const auto& p : pages) ReadPage(p, g);
    return g;
  }();
  return guide;
}

// Whether a line names a command: its first word, or the word after a
// leading variable, is in the command table. Blank lines, comments, macro
// calls and "..." stand for themselves.
bool NamesACommand(const std::string& line) {
  std::size_t pos = line.find_first_not_of(" \t");
  if (pos == std::string::npos || line[pos] == ';' || line.compare(pos, 3, "...") == 0) return true;
  if (line[pos] == '%' && line.compare(pos, 2, "%=") != 0) return true;
  std::size_t length = 0;
  if (script::LookupCommand(line, pos, length) != script::cmd::UndefinedCommand) return true;
  pos = line.find_first_of(" \t", pos);
  if (pos == std::string::npos) return false;
  pos = line.find_first_not_of(" \t", pos);
  return pos != std::string::npos && script::LookupCommand(line, pos, length) != script::cmd::UndefinedCommand;
}

TEST(GuideExamples, FencesAreWellFormed) {
  for (const std::string& problem : TheGuide().problems) ADD_FAILURE() << problem;
}

// Pages are shown as Markdown: a "<" outside code would start an HTML tag,
// which swallows the text after it (headings included).
TEST(GuideExamples, PagesHoldNoBareTagOpeners) {
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/guide")) {
    if (entry.path().extension() != ".md") continue;
    std::ifstream in(entry.path());
    bool fence = false;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      if (line.starts_with("```")) {
        fence = !fence;
        continue;
      }
      if (fence) continue;
      bool code = false;
      for (char c : line) {
        if (c == '`') code = !code;
        EXPECT_FALSE(!code && c == '<')
            << entry.path().filename().string() << ", línea " << number << ": " << line;
      }
    }
  }
}

TEST(GuideExamples, FragmentsNameRealCommands) {
  std::size_t lines = 0;
  for (const Fragment& f : TheGuide().fragments)
    for (const auto& [number, text] : f.lines) {
      ++lines;
      EXPECT_TRUE(NamesACommand(text)) << f.where << ", línea " << number << ": " << text;
    }
  EXPECT_GT(lines, 0u);
}

TEST(GuideExamples, RunnableExamplesRunAndPrintWhatThePageSays) {
  ASSERT_FALSE(TheGuide().examples.empty());
  for (const Example& e : TheGuide().examples) {
    TempDir dir;
    dir.write("juego.tvp", "");
    dir.write("juego/Script/main.txt", e.main);
    for (const auto& [name, text] : e.scripts) dir.write("juego/Script/" + name, text);
    for (const auto& [name, text] : e.projectFiles) dir.write("juego/" + name, text);
    if (!e.macros.empty())
      dir.write("juego/macro.txt",
                ";;; Tarvolin macro script file - automatically generated\n"
                ";;; any changes made by hand will be lost\n\n\n" + e.macros);
    std::vector<std::string> args{"run", dir.file("juego.tvp"), "--frames", std::to_string(e.frames)};
    for (const std::string& p : e.presses) {
      args.push_back("--press");
      args.push_back(p);
    }
    const ToolResult r = runTool(args);
    // The first line tells the project was opened; the rest is the game's.
    const std::size_t nl = r.out.find('\n');
    const std::string printed = nl == std::string::npos ? std::string() : r.out.substr(nl + 1);
    EXPECT_EQ(r.exitCode, e.expectError ? 1 : 0) << e.where << "\n" << r.out << r.err;
    if (e.hasOutput) {
      EXPECT_EQ(printed, e.output) << e.where;
    }
  }
}

}  // namespace
}  // namespace tarvolin::test
