#include "sharing/server/session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "platform/files.h"
#include "platform/paths.h"
#include "sharing/crc32.h"
#include "sharing/file_ops.h"
#include "sharing/file_pack.h"
#include "sharing/server/server.h"
#include "sharing/server/sha256.h"
#include "sharing/server/store.h"
#include "sharing/shared_names.h"
#include "sharing/sync.h"

namespace tarvolin::sharing::server {
namespace {

constexpr std::uint64_t kMaxUpload = 1ULL << 30;
constexpr int kMaxErrors = 10;
constexpr int kWindow = 64;  // blocks asked for or sent ahead of the answers
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::uint64_t fileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
}

}  // namespace

Session::Session(SharingServer& server, Connection& conn, std::uint32_t id)
    : server_(server), conn_(conn), id_(id) {
  char name[64];
  std::snprintf(name, sizeof name, "work/%u-%08x", id, unsigned(std::random_device{}()));
  workDir_ = platform::joinPath(server_.store().dir(), name);
}

Session::~Session() {
  if (commitLocked_) server_.unlockCommit(project_);
  removeFolder(workDir_);
}

std::string Session::work(std::string_view name) const { return platform::joinPath(workDir_, name); }

std::string Session::partialPath(const std::string& tag, std::uint32_t length,
                                 std::uint32_t crc) const {
  const std::string who = hexOf(sha256(user_ + '\n' + projectName_)).substr(0, 16);
  char name[96];
  std::snprintf(name, sizeof name, "partial/%s-%s-%u-%08x.part", who.c_str(), tag.c_str(),
                length, crc);
  return platform::joinPath(server_.store().dir(), name);
}

bool Session::receive(std::string& payload) {
  for (;;) {
    if (conn_.receiveMessage(payload) != IoResult::Ok) return false;
    if (packetSecondWord(payload) == id_) return true;
    log("paquete con un id de cliente ajeno, ignorado");
  }
}

bool Session::sendStatus(std::uint32_t status, std::uint32_t value, std::uint32_t value2) {
  return conn_.sendMessage(encodeStatus({0, status, value, value2})) == IoResult::Ok;
}

void Session::run() {
  std::string payload;
  if (conn_.receiveMessage(payload) != IoResult::Ok ||
      packetKind(payload) != std::uint32_t(PacketKind::TransactionRequest) ||
      !decodeTransactionRequest(payload, kind_) || kind_ < 1 || kind_ > 4)
    return;
  if (conn_.sendMessage(encodeStatus({id_, status::kAck, 0, 0})) != IoResult::Ok) return;

  LoginPacket login;
  if (!receive(payload) || packetKind(payload) != std::uint32_t(PacketKind::Login) ||
      !decodeLogin(payload, login))
    return;
  if (!server_.login(login.user, login.crc)) {
    log("inicio de sesión rechazado para '" + login.user + "'");
    sendStatus(status::kNoAccess);
    return;
  }
  user_ = login.user;
  if (!sendStatus(status::kAck)) return;

  ProjectSelectPacket select;
  if (!receive(payload) || packetKind(payload) != std::uint32_t(PacketKind::ProjectSelect) ||
      !decodeProjectSelect(payload, select))
    return;
  projectName_ = select.project;
  comment_ = select.comment;
  project_ = server_.store().projectId(select.project);
  if (!project_) {
    sendStatus(status::kUnknownProject);
    return;
  }
  if (!server_.store().hasAccess(user_, project_)) {
    sendStatus(status::kNoAccess);
    return;
  }
  if (kind_ == std::uint32_t(TransactionKind::Commit)) {
    if (!server_.lockCommit(project_)) {
      sendStatus(status::kCommitInProgress);
      return;
    }
    commitLocked_ = true;
  }
  if (!sendStatus(status::kAck)) return;
  if (!platform::makeFolders(workDir_)) return;

  switch (TransactionKind(kind_)) {
    case TransactionKind::Info: info(); break;
    case TransactionKind::Update: update(); break;
    case TransactionKind::Propose: sendChanges(false); break;
    case TransactionKind::Commit: sendChanges(true); break;
  }
}

// ---- receiving a file from the client -------------------------------------------

bool Session::receiveFile(const std::string& tag, const std::string& path, const Verdict& verdict) {
  std::string payload;
  if (!receive(payload)) return false;
  FileHeaderPacket header;
  if (packetKind(payload) != std::uint32_t(PacketKind::FileHeader) ||
      !decodeFileHeader(payload, header)) {
    sendStatus(status::kUnexpectedPacket);
    return false;
  }
  if (header.length == 0 || header.length > kMaxUpload) {
    conn_.sendMessage(encodeServerTerminate());
    return false;
  }
  const std::uint32_t count = blockCountOf(header.length);
  const std::string partial = partialPath(tag, header.length, header.crc);
  platform::makeFolders(std::string(platform::folderOf(partial)));

  // Whole blocks already held from an earlier, cut-off try are offered back.
  std::uint64_t held = fileSize(partial);
  if (held < header.length) held -= held % kBlockSize;
  if (held > header.length) held = 0;
  std::uint32_t first = 0;
  if (held > 0) {
    std::uint32_t heldCrc = 0;
    if (fileCrc32(partial, heldCrc, held)) {
      if (!sendStatus(status::kResume, std::uint32_t(held), heldCrc) || !receive(payload))
        return false;
      StatusPacket answer;
      if (!decodeStatus(payload, answer)) return false;
      if (answer.status == status::kResumeAccepted) {
        first = held >= header.length ? count : std::uint32_t(held / kBlockSize);
        log("transferencia reanudada en el byte " + std::to_string(held));
      } else if (answer.status != status::kResumeRefused) {
        return false;
      }
    }
  }
  const int fd = ::open(partial.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // Whatever happens, the file keeps only the unbroken run of blocks from the
  // start, so that a later try can resume from there.
  std::vector<bool> have(count, false);
  std::uint32_t prefix = first;
  for (std::uint32_t i = 0; i < first; ++i) have[i] = true;
  // Blocks that arrive in order are gathered and written together.
  std::string pending;
  std::uint64_t pendingAt = 0;
  auto writePending = [&]() {
    if (pending.empty()) return true;
    const bool ok = ::pwrite(fd, pending.data(), pending.size(), off_t(pendingAt)) ==
                    ssize_t(pending.size());
    pendingAt += pending.size();
    pending.clear();
    return ok;
  };
  struct Keep {
    std::function<void()> atExit;
    ~Keep() {
      if (atExit) atExit();
    }
  } keep{[&] {
    // The gathered blocks are written, then the file cut after the unbroken
    // run of blocks from its start.
    writePending();
    const std::uint64_t bytes =
        std::min<std::uint64_t>(std::uint64_t(prefix) * kBlockSize, header.length);
    if (::ftruncate(fd, off_t(bytes)) != 0) {
    }
    ::close(fd);
  }};
  if (::ftruncate(fd, off_t(std::min<std::uint64_t>(std::uint64_t(first) * kBlockSize, header.length))) != 0)
    return false;

  // Blocks are asked for ahead of their arrival (a window of requests), so
  // the client never waits for a round trip; a block that arrives damaged
  // is asked for again with the status that says why.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> retry;  // (block, status)
  std::uint32_t nextRequest = first;
  int outstanding = 0;
  int errors = 0;
  auto topUp = [&]() {
    while (outstanding < kWindow) {
      if (!retry.empty()) {
        const auto [block, why] = retry.back();
        retry.pop_back();
        if (have[block]) continue;
        if (!sendStatus(why, block)) return false;
      } else if (nextRequest < count) {
        if (!sendStatus(status::kAck, nextRequest++)) return false;
      } else {
        break;
      }
      ++outstanding;
    }
    return true;
  };
  if (first >= count) {
    if (!sendStatus(status::kAck, count)) return false;
  } else if (!topUp()) {
    return false;
  }
  bool endAsked = first >= count;
  for (;;) {
    if (!receive(payload)) return false;
    const std::uint32_t kind = packetKind(payload);
    if (kind == std::uint32_t(PacketKind::FileBlock)) {
      if (outstanding > 0) --outstanding;
      FileBlockPacket b;
      decodeFileBlock(payload, b);
      std::uint32_t problem = status::kAck;
      const std::uint64_t at = std::uint64_t(b.index) * kBlockSize;
      if (b.index >= count) problem = status::kWrongBlock;
      else if (b.length != std::min<std::uint64_t>(kBlockSize, header.length - at) ||
               b.data.size() != b.length)
        problem = status::kBadBlock;
      else if (crc32Of(b.data) != b.crc)
        problem = status::kCrcMismatch;
      if (problem != status::kAck) {
        if (++errors > kMaxErrors) return false;
        if (b.index < count) retry.emplace_back(b.index, problem);
      } else if (!have[b.index]) {
        if (at != pendingAt + pending.size() || pending.size() >= 256 * 1024) {
          if (!writePending()) {
            conn_.sendMessage(encodeServerTerminate());
            return false;
          }
          pendingAt = at;
        }
        pending.append(b.data);
        have[b.index] = true;
        while (prefix < count && have[prefix]) ++prefix;
      }
      if (!topUp()) return false;
      if (prefix == count && outstanding == 0 && !endAsked) {
        if (!sendStatus(status::kAck, count)) return false;  // all there: the client ends
        endAsked = true;
      } else if (prefix < count && outstanding == 0 && retry.empty() && nextRequest >= count) {
        // Lost track of a block: ask for the first one missing.
        retry.emplace_back(prefix, status::kWrongBlock);
        if (!topUp()) return false;
      }
    } else if (kind == std::uint32_t(PacketKind::FileEnd)) {
      std::uint32_t crc = 0;
      if (!writePending()) {
        conn_.sendMessage(encodeServerTerminate());
        return false;
      }
      if (prefix < count || ::fsync(fd) != 0 || !fileCrc32(partial, crc) || crc != header.crc) {
        // Every block passed its check yet the whole does not: nothing here
        // can be trusted for a resume.
        prefix = 0;
        conn_.sendMessage(encodeServerTerminate());
        return false;
      }
      if (std::rename(partial.c_str(), path.c_str()) != 0) {
        conn_.sendMessage(encodeServerTerminate());
        return false;
      }
      keep.atExit = nullptr;  // the partial file is gone
      ::close(fd);
      const std::uint32_t answer = verdict(path);
      if (answer == status::kAck || answer == status::kMustUpdate) {
        if (!sendStatus(answer, count)) return false;
        return answer == status::kAck;
      }
      conn_.sendMessage(encodeServerTerminate());
      return false;
    } else if (kind == std::uint32_t(PacketKind::Status)) {
      return false;  // the client gave up (too many errors, a local failure)
    } else {
      if (!sendStatus(status::kUnexpectedPacket, prefix)) return false;
    }
  }
}

// ---- sending a file to the client -----------------------------------------------

bool Session::sendFile(const std::string& path) {
  const std::uint64_t length = fileSize(path);
  std::uint32_t crc = 0;
  if (length == 0 || length > 0xFFFFFFFFULL || !fileCrc32(path, crc)) return false;
  File in(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!in) return false;
  const std::uint32_t count = blockCountOf(length);
  const std::string header = encodeFileHeader({0, std::uint32_t(length), crc});
  if (conn_.sendMessage(header) != IoResult::Ok) return false;
  std::string payload;
  StatusPacket st;
  if (!receive(payload) || !decodeStatus(payload, st) || st.status != status::kAck ||
      st.value > count)
    return false;
  // Blocks go out ahead of their acknowledgements (a window); a complaint
  // sends them again from the block the client wants.
  std::uint32_t base = st.value;      // the client holds everything before this
  std::uint32_t sendNext = st.value;  // the next block to send
  std::int64_t rewound = -1;          // the block of the last complaint acted on
  int errors = 0;
  std::uint64_t readAt = 0;
  std::setvbuf(in.get(), nullptr, _IOFBF, 64 * 1024);
  for (;;) {
    while (sendNext < count && sendNext < base + std::uint32_t(kWindow)) {
      char data[kBlockSize];
      const std::uint64_t at = std::uint64_t(sendNext) * kBlockSize;
      if (at != readAt && std::fseek(in.get(), long(at), SEEK_SET) != 0) return false;
      const std::size_t got = std::fread(data, 1, kBlockSize, in.get());
      readAt = at + got;
      if (got == 0) return false;
      FileBlockPacket b;
      b.length = std::uint32_t(got);
      b.index = sendNext++;
      b.crc = crc32Of(std::string_view(data, got));
      b.data = std::string_view(data, got);
      if (conn_.sendMessage(encodeFileBlock(b)) != IoResult::Ok) return false;
    }
    if (base >= count) {
      if (conn_.sendMessage(encodeFileEnd(0)) != IoResult::Ok || !receive(payload)) return false;
      StatusPacket end;
      if (!decodeStatus(payload, end) || end.status != status::kAck) return false;
      return true;
    }
    if (!receive(payload) || !decodeStatus(payload, st) || st.value > count) return false;
    switch (st.status) {
      case status::kAck:
      case status::kAckAlt:
        if (st.value > base) {
          base = st.value;
          rewound = -1;
        }
        break;
      case status::kBadBlock:
      case status::kWrongBlock:
      case status::kCrcMismatch:
        if (std::int64_t(st.value) == rewound) break;  // already sent again from there
        if (++errors > kMaxErrors) return false;
        base = sendNext = st.value;
        rewound = st.value;
        break;
      default:
        return false;
    }
  }
}

bool Session::sendPack(const std::vector<PackSource>& sources) {
  const std::string pack = work("~send.pack");
  std::string error;
  if (!packFileList(sources, pack, error)) {
    log(error);
    return false;
  }
  const bool ok = sendFile(pack);
  std::remove(pack.c_str());
  return ok;
}

// ---- the transactions ---------------------------------------------------------------

void Session::log(const std::string& line) {
  char head[32];
  std::snprintf(head, sizeof head, "[%u] ", id_);
  std::string text = head;
  if (!user_.empty()) text.append(user_).append(" @ ").append(projectName_).append(": ");
  server_.log(text.append(line));
}

bool Session::info() {
  const std::string file = work(kProjectInfoFile);
  if (!writeTemporaryFile(file, server_.store().projectInfo(project_))) return false;
  const bool ok = sendPack({{std::string(kProjectInfoFile), file, {}}});
  if (ok) log("información del proyecto enviada");
  return ok;
}

bool Session::readLines(const std::string& pack, std::vector<VersionLine>& lines) {
  static const std::vector<std::string> allowed{std::string(kVersionListFile)};
  UnpackOptions options;
  options.allowedNames = &allowed;
  const std::string folder = work("list");
  std::string error, text;
  if (!unpackFiles(pack, folder, options, error)) {
    log(error);
    return false;
  }
  if (!platform::readWholeFile(platform::joinPath(folder, kVersionListFile), text)) {
    log("falta la lista de versiones en el paquete recibido");
    return false;
  }
  std::remove(platform::joinPath(folder, kVersionListFile).c_str());
  lines = parseAllVersionLines(text);
  for (const VersionLine& l : lines) {
    if (!isSafeRelativeName(l.name) || isNeverShared(l.name)) {
      log("la lista nombra un archivo no válido: '" + l.name + "'");
      return false;
    }
  }
  return true;
}

bool Session::writeList(const std::vector<VersionLine>& lines) {
  const std::string file = work(kVersionListFile);
  return writeTemporaryFile(file, versionListText(lines)) &&
         sendPack({{std::string(kVersionListFile), file, {}}});
}

bool Session::update() {
  std::vector<VersionLine> held;
  const bool received = receiveFile("version", work("version.pack"), [&](const std::string& pack) {
    return readLines(pack, held) ? status::kAck : status::kLocalIoFailure;
  });
  if (!received) return false;
  std::map<std::string, std::int32_t> versions;
  for (const VersionLine& l : held)
    if (l.kind == 'V') versions[sharedNameKey(l.name)] = l.version;
  std::vector<VersionLine> lines;
  std::vector<PackSource> files;
  for (const StoredFile& f : server_.store().latest(project_)) {
    auto it = versions.find(sharedNameKey(f.name));
    if (it != versions.end() && it->second >= f.version) continue;
    lines.push_back({'V', f.version, f.name});
    const std::string object = server_.store().objectPath(f.object);
    files.push_back({f.name, object, object + ".z"});
  }
  if (!writeList(lines) || !sendPack(files)) return false;
  log("actualización: " + std::to_string(files.size()) + " archivos enviados");
  return true;
}

bool Session::sendChanges(bool commit) {
  Store& store = server_.store();
  std::vector<VersionLine> lines;
  std::vector<Change> changes;
  const bool listed = receiveFile("changes", work("changes.pack"), [&](const std::string& pack) {
    if (!readLines(pack, lines)) return status::kLocalIoFailure;
    for (const VersionLine& l : lines) changes.push_back({l.kind, l.name, l.version, {}, 0});
    std::string why;
    if (store.check(project_, changes, why) == CommitOutcome::Stale) {
      log("debe actualizar primero: " + why);
      return status::kMustUpdate;
    }
    return status::kAck;
  });
  if (!listed) return false;

  std::vector<std::string> wanted;
  for (const VersionLine& l : lines)
    if (l.kind != 'V') wanted.push_back(l.name);
  std::vector<std::int32_t> versions;
  std::int32_t revision = 0;
  std::int64_t proposal = 0;
  const bool taken = receiveFile("files", work("files.pack"), [&](const std::string& pack) {
    UnpackOptions options;
    options.allowedNames = &wanted;
    options.direct = true;  // the work folder goes whole when the session ends
    const std::string folder = work("files");
    std::string error;
    if (!unpackFiles(pack, folder, options, error)) {
      log(error);
      return status::kLocalIoFailure;
    }
    for (Change& c : changes) {
      if (c.kind == 'V') continue;
      const std::string path = platform::joinPath(folder, c.name);
      if (!platform::fileExists(path) ||
          !store.storeObject(path, c.object, c.size, error, true)) {
        log(error.empty() ? "falta '" + c.name + "' en el paquete" : error);
        return status::kLocalIoFailure;
      }
    }
    if (!commit) {
      std::vector<Change> files;
      for (const Change& c : changes)
        if (c.kind != 'V') files.push_back(c);
      proposal = store.addProposal(project_, user_, comment_, files, error);
      return proposal ? status::kAck : status::kLocalIoFailure;
    }
    switch (store.commit(project_, user_, comment_, changes, revision, versions, error)) {
      case CommitOutcome::Done: return status::kAck;
      case CommitOutcome::Stale: log("debe actualizar primero: " + error); return status::kMustUpdate;
      case CommitOutcome::Failed: break;
    }
    log(error);
    return status::kLocalIoFailure;
  });
  if (!taken) return false;
  if (!commit) {
    log("propuesta " + std::to_string(proposal) + " guardada (" + std::to_string(wanted.size()) +
        " archivos)");
    return true;
  }
  log("depósito de " + std::to_string(wanted.size()) + " archivos: versión " +
      std::to_string(revision));
  std::vector<VersionLine> result;
  for (std::size_t i = 0; i < lines.size() && i < versions.size(); ++i)
    if (versions[i] > 0) result.push_back({'V', versions[i], lines[i].name});
  return writeList(result);
}

}  // namespace tarvolin::sharing::server
