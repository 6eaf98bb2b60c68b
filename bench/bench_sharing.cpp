// Project sharing over loopback: commit and update of a 50 MB project of
// 2,000 files between a client and the project server in this process.
// The files mix what a game project holds: tile pictures (runs of palette
// indices), 8-bit sound, script text and already-compressed data. The
// bytes_per_second figure is project bytes moved per second of wall time,
// packing, transfer, checks and unpacking included. On a machine shared
// with other work the wall time says little, so each benchmark also reports
// the processor time client and server used together (both threads and the
// packing workers), as project megabytes per processor-second.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "sharing/client.h"
#include "sharing/server/server.h"
#include "sharing/server/store.h"
#include "sharing/sync.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvolin::sharing;

constexpr int kFiles = 2000;
constexpr std::size_t kProjectBytes = 50u << 20;

std::string makeContent(std::mt19937& rng, int kind, std::size_t n) {
  std::string s(n, '\0');
  switch (kind) {
    case 0: {  // picture: runs of palette indices
      std::size_t at = 0;
      while (at < n) {
        const char v = char(rng() % 16);
        const std::size_t run = 1 + rng() % 12;
        for (std::size_t k = 0; k < run && at < n; ++k) s[at++] = v;
      }
      break;
    }
    case 1: {  // sound: a wave with noise
      double phase = 0;
      for (std::size_t i = 0; i < n; ++i) {
        phase += 0.05 + 0.01 * double(i % 1000) / 1000.0;
        s[i] = char(int(60 * std::sin(phase)) + int(rng() % 24));
      }
      break;
    }
    case 2: {  // script text
      static const char* words[] = {"TileMapLoad ", "V_LV0 ", "SpriteSetAttribute ", "If ",
                                    "EndIf\r\n", "Return\r\n", "; comentario\r\n", "123 "};
      std::string t;
      while (t.size() < n) t += words[rng() % 8];
      s = t.substr(0, n);
      break;
    }
    default:  // compressed data
      for (char& c : s) c = char(rng());
  }
  return s;
}

class Loopback {
 public:
  Loopback() {
    root_ = fs::temp_directory_path() / ("tarvolin-bench-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    std::string error;
    server::Store::init((root_ / "data").string(), error);
    store_.open((root_ / "data").string(), error);
    store_.addUser("bench", "clave", error);
    server_.start(server::ServerOptions{"127.0.0.1", 0}, error);
    source_ = (root_ / "source").string();
    std::mt19937 rng(7);
    const std::size_t each = kProjectBytes / kFiles;
    for (int i = 0; i < kFiles; ++i) {
      const int kind = i % 10 < 4 ? 0 : i % 10 < 7 ? 1 : i % 10 < 9 ? 2 : 3;
      const fs::path p = fs::path(source_) / ("carpeta" + std::to_string(i % 20)) /
                         ("archivo" + std::to_string(i) + ".dat");
      fs::create_directories(p.parent_path());
      std::ofstream(p, std::ios::binary) << makeContent(rng, kind, each);
      bytes_ += each;
    }
  }
  ~Loopback() {
    server_.stop();
    fs::remove_all(root_);
  }

  std::string newProject() {
    std::string name = "P";
    name += std::to_string(++projects_);
    std::string error;
    store_.addProject(name, error);
    store_.grant("bench", name, error);
    return name;
  }

  bool run(TransactionKind kind, const std::string& project, const std::string& folder,
           FileInfoList& list) {
    ProjectSync sync(folder, list, true);
    SharingClient client;
    client.start(kind, {"127.0.0.1", server_.port(), 60000}, {"bench", "clave", project, "banco"},
                 sync);
    client.wait();
    if (sync.listChanged()) list = sync.list();
    return client.success();
  }

  const std::string& source() const { return source_; }
  std::string folder(const std::string& name) { return (root_ / name).string(); }
  std::size_t bytes() const { return bytes_; }

 private:
  fs::path root_;
  server::Store store_;
  server::SharingServer server_{store_};
  std::string source_;
  std::size_t bytes_ = 0;
  int projects_ = 0;
};

// Processor time of the whole process (every thread), in seconds.
double processSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void reportProcessorTime(benchmark::State& state, double seconds, std::size_t bytes) {
  state.counters["cpu_s"] = benchmark::Counter(seconds / double(state.iterations()));
  state.counters["MB_per_cpu_s"] =
      benchmark::Counter(double(bytes) * double(state.iterations()) / (1 << 20) / seconds);
}

Loopback& loopback() {
  static Loopback l;
  return l;
}

void BM_CommitWholeProject(benchmark::State& state) {
  Loopback& l = loopback();
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string project = l.newProject();
    FileInfoList list;
    const double before = processSeconds();
    state.ResumeTiming();
    if (!l.run(TransactionKind::Commit, project, l.source(), list))
      state.SkipWithError("commit failed");
    cpu += processSeconds() - before;
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * l.bytes()));
  reportProcessorTime(state, cpu, l.bytes());
}
BENCHMARK(BM_CommitWholeProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_UpdateWholeProject(benchmark::State& state) {
  Loopback& l = loopback();
  const std::string project = l.newProject();
  FileInfoList committed;
  if (!l.run(TransactionKind::Commit, project, l.source(), committed)) {
    state.SkipWithError("commit failed");
    return;
  }
  int round = 0;
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder = l.folder("copia" + std::to_string(++round));
    fs::create_directories(folder);
    FileInfoList list;
    const double before = processSeconds();
    state.ResumeTiming();
    if (!l.run(TransactionKind::Update, project, folder, list)) state.SkipWithError("update failed");
    cpu += processSeconds() - before;
    state.PauseTiming();
    fs::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * l.bytes()));
  reportProcessorTime(state, cpu, l.bytes());
}
BENCHMARK(BM_UpdateWholeProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
