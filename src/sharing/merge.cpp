#include "sharing/merge.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "platform/file_time.h"
#include "platform/paths.h"
#include "platform/files.h"
#include "sharing/file_ops.h"
#include "sharing/shared_names.h"

extern char** environ;

namespace tarvolin::sharing {

std::vector<std::string> splitKeepingEnds(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    out.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return out;
}

bool looksLikeText(std::string_view bytes) { return bytes.find('\0') == std::string_view::npos; }

namespace {

bool readNumber(std::string_view text, std::size_t& at, int& value) {
  while (at < text.size() && text[at] == ' ') ++at;
  auto [p, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (ec != std::errc() || value < 0) return false;
  at = std::size_t(p - text.data());
  return true;
}

}  // namespace

bool parseEditScript(std::string_view script, std::vector<DiffEdit>& edits) {
  edits.clear();
  const std::vector<std::string> lines = splitKeepingEnds(script);
  for (std::size_t i = 0; i < lines.size();) {
    std::string_view head = lines[i++];
    while (!head.empty() && (head.back() == '\n' || head.back() == '\r')) head.remove_suffix(1);
    if (head.empty()) continue;
    if (head[0] == '\\') continue;  // "\ No newline at end of file"
    DiffEdit e;
    e.kind = head[0];
    if (e.kind != 'a' && e.kind != 'd') return false;
    std::size_t at = 1;
    if (!readNumber(head, at, e.line) || !readNumber(head, at, e.count)) return false;
    if (e.kind == 'a') {
      for (int k = 0; k < e.count; ++k) {
        if (i >= lines.size()) return false;
        e.lines.push_back(lines[i++]);
      }
    }
    edits.push_back(std::move(e));
  }
  return true;
}

bool runDiff(const std::string& program, const std::string& a, const std::string& b,
             std::string& script) {
  script.clear();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const char* argv[] = {program.c_str(), a.c_str(), b.c_str(), "-n", nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr,
                                const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return false;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n > 0) script.append(buffer, std::size_t(n));
    else if (n == 0 || errno != EINTR) break;
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1);
}

bool TextMerge::build(std::string_view local, std::string_view server,
                      const std::vector<DiffEdit>& edits) {
  local_ = splitKeepingEnds(local);
  server_ = splitKeepingEnds(server);
  hunks_.clear();
  int offset = 0;  // server line index minus local line index outside hunks
  int lastLocal = 0;  // local lines before this are settled
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const DiffEdit& e = edits[i];
    MergeHunk h;
    if (e.kind == 'd') {
      h.localStart = e.line - 1;
      h.localCount = e.count;
      // A deletion followed by an addition right after its last line is one change.
      if (i + 1 < edits.size() && edits[i + 1].kind == 'a' &&
          edits[i + 1].line == e.line + e.count - 1) {
        h.serverCount = edits[i + 1].count;
        ++i;
      }
    } else {
      h.localStart = e.line;
      h.localCount = 0;
      h.serverCount = e.count;
    }
    if (h.localStart < lastLocal || h.localCount < 0 ||
        h.localStart + h.localCount > int(local_.size()))
      return false;
    h.serverStart = h.localStart + offset;
    if (h.serverStart < 0 || h.serverStart + h.serverCount > int(server_.size())) return false;
    offset += h.serverCount - h.localCount;
    lastLocal = h.localStart + h.localCount;
    hunks_.push_back(std::move(h));
  }
  if (int(local_.size()) + offset != int(server_.size())) return false;
  // Outside the differences both texts must hold the same lines, or the
  // script was not made from these two texts.
  int at = 0, shift = 0;
  auto same = [&](int until) {
    for (; at < until; ++at)
      if (local_[std::size_t(at)] != server_[std::size_t(at + shift)]) return false;
    return true;
  };
  for (const MergeHunk& h : hunks_) {
    if (!same(h.localStart)) return false;
    at = h.localStart + h.localCount;
    shift += h.serverCount - h.localCount;
  }
  return same(int(local_.size()));
}

std::string TextMerge::localText(const MergeHunk& h) const {
  std::string out;
  for (int i = 0; i < h.localCount; ++i) out += local_[std::size_t(h.localStart + i)];
  return out;
}

std::string TextMerge::serverText(const MergeHunk& h) const {
  std::string out;
  for (int i = 0; i < h.serverCount; ++i) out += server_[std::size_t(h.serverStart + i)];
  return out;
}

std::string TextMerge::result() const {
  std::string out;
  int at = 0;
  for (const MergeHunk& h : hunks_) {
    for (; at < h.localStart; ++at) out += local_[std::size_t(at)];
    switch (h.choice) {
      case HunkChoice::Local: out += localText(h); break;
      case HunkChoice::Server: out += serverText(h); break;
      case HunkChoice::Edited: out += h.edited; break;
    }
    at = h.localStart + h.localCount;
  }
  for (; at < int(local_.size()); ++at) out += local_[std::size_t(at)];
  return out;
}

std::pair<int, int> TextMerge::resultSpan(std::size_t index) const {
  auto chosenLines = [](const MergeHunk& h) {
    switch (h.choice) {
      case HunkChoice::Local: return h.localCount;
      case HunkChoice::Server: return h.serverCount;
      case HunkChoice::Edited: return int(splitKeepingEnds(h.edited).size());
    }
    return h.localCount;
  };
  if (index >= hunks_.size()) return {0, 0};
  int shift = 0;  // lines the earlier hunks' choices add or take away
  for (std::size_t i = 0; i < index; ++i) shift += chosenLines(hunks_[i]) - hunks_[i].localCount;
  const MergeHunk& h = hunks_[index];
  return {h.localStart + shift, chosenLines(h)};
}

// ---- outcomes ----------------------------------------------------------------

namespace {

FileInfo& entryFor(FileInfoList& list, const Conflict& conflict) {
  if (FileInfo* e = list.find(conflict.name)) return *e;
  // Never synchronised here: time 0 keeps it counted as changed.
  list.add({storedName(conflict.name), conflict.version, 0});
  return list.entries().back();
}

bool takeNewTime(const std::string& local, FileInfoList& list, const Conflict& conflict,
                 std::string& error) {
  std::uint64_t time = 0;
  if (!platform::fileWriteTime(local, time)) {
    error = "No se puede leer la fecha de '" + conflict.name + "'";
    return false;
  }
  FileInfo& e = entryFor(list, conflict);
  e.version = conflict.version;
  e.fileTime = time;
  return true;
}

}  // namespace

std::string localCopyOf(const std::string& folder, const Conflict& conflict) {
  return localPathOf(folder, conflict.name);
}
std::string serverCopyOf(const std::string& folder, const Conflict& conflict) {
  return platform::joinPath(platform::joinPath(folder, kUpdateFolder), conflict.name);
}

void keepLocalVersion(FileInfoList& list, const Conflict& conflict) {
  entryFor(list, conflict).version = conflict.version;
}

bool takeServerVersion(const std::string& folder, FileInfoList& list, const Conflict& conflict,
                       std::string& error) {
  const std::string local = localCopyOf(folder, conflict);
  if (!copyFileAtomically(serverCopyOf(folder, conflict), local)) {
    error = "No se puede copiar la versión del servidor de '" + conflict.name + "'";
    return false;
  }
  return takeNewTime(local, list, conflict, error);
}

bool saveMergedVersion(const std::string& folder, FileInfoList& list, const Conflict& conflict,
                       const std::string& text, std::string& error) {
  const std::string local = localCopyOf(folder, conflict);
  if (!platform::safeWrite(local, text)) {
    error = "No se puede guardar el texto combinado en '" + conflict.name + "'";
    return false;
  }
  std::string server;
  if (platform::readWholeFile(serverCopyOf(folder, conflict), server) && server == text)
    return takeNewTime(local, list, conflict, error);
  // The merged text holds local changes the server lacks: the file stays
  // counted as changed so the next commit sends it.
  std::uint64_t now = 0;
  if (!platform::fileWriteTime(local, now)) {
    error = "No se puede leer la fecha de '" + conflict.name + "'";
    return false;
  }
  FileInfo& e = entryFor(list, conflict);
  e.version = conflict.version;
  if (e.fileTime == now) e.fileTime = 0;
  return true;
}

}  // namespace tarvolin::sharing
