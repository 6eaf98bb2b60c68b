#include "sharing/transaction.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <memory>

#include "platform/paths.h"
#include "sharing/crc32.h"

namespace tarvolin::sharing {

StepClass classOf(Step step) {
  switch (step) {
    case Step::Login: return StepClass::Login;
    case Step::SelectProject: return StepClass::Select;
    case Step::SendVersionList:
    case Step::SendChangeList:
    case Step::SendProposedFiles:
    case Step::SendCommittedFiles: return StepClass::SendFile;
    default: return StepClass::ReceiveFile;
  }
}

const std::vector<Step>& stepsOf(TransactionKind kind) {
  static const std::vector<Step> info{Step::Login, Step::SelectProject, Step::ReceiveProjectInfo};
  static const std::vector<Step> update{Step::Login, Step::SelectProject, Step::SendVersionList,
                                        Step::ReceiveVersionList, Step::ReceiveNewFiles};
  static const std::vector<Step> propose{Step::Login, Step::SelectProject, Step::SendChangeList,
                                         Step::SendProposedFiles};
  static const std::vector<Step> commit{Step::Login, Step::SelectProject, Step::SendChangeList,
                                        Step::SendCommittedFiles, Step::ReceiveCommitResult};
  static const std::vector<Step> none;
  switch (kind) {
    case TransactionKind::Info: return info;
    case TransactionKind::Update: return update;
    case TransactionKind::Propose: return propose;
    case TransactionKind::Commit: return commit;
  }
  return none;
}

std::string_view phaseText(Phase phase) {
  switch (phase) {
    case Phase::Listing: return "Generando la lista de archivos nuevos/modificados:";
    case Phase::SendingList: return "Transfiriendo al servidor la lista de archivos:";
    case Phase::ReceivingList: return "Recibiendo lista de archivos desde el servidor:";
    case Phase::ReceivingNew: return "Recibiendo lo nuevo desde el servidor:";
    case Phase::None: break;
  }
  return {};
}

void TransactionProgress::set(std::uint32_t done, std::uint32_t total) {
  value_.store(std::uint64_t(done) << 32 | total, std::memory_order_relaxed);
  changed_.store(true, std::memory_order_release);
}
void TransactionProgress::setPhase(Phase phase) {
  phase_.store(int(phase), std::memory_order_relaxed);
  phaseChanged_.store(true, std::memory_order_release);
}
bool TransactionProgress::take(std::uint32_t& done, std::uint32_t& total) {
  if (!changed_.exchange(false, std::memory_order_acquire)) return false;
  const std::uint64_t v = value_.load(std::memory_order_relaxed);
  done = std::uint32_t(v >> 32);
  total = std::uint32_t(v);
  return true;
}
bool TransactionProgress::takePhase(Phase& phase) {
  if (!phaseChanged_.exchange(false, std::memory_order_acquire)) return false;
  phase = Phase(phase_.load(std::memory_order_relaxed));
  return true;
}
void TransactionProgress::reset() {
  value_.store(0);
  changed_.store(false);
  phase_.store(0);
  phaseChanged_.store(false);
}

std::string timeoutMessage(int timeoutMs) {
  return "El servidor no responde: ningún dato en " + std::to_string((timeoutMs + 999) / 1000) +
         " s";
}

namespace {

constexpr int kBufferBlocks = 20;
constexpr std::string_view kReceiveTemp = "~tmp.dat";
// The largest file a receive step accepts (its pack is checked again when
// unpacked).
constexpr std::uint64_t kMaxReceive = 1ULL << 30;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

class Runner {
 public:
  Runner(Connection& conn, TransactionKind kind, const Credentials& cred, StepHooks& hooks,
         TransactionProgress& progress, const LogSink& log)
      : conn_(conn), kind_(kind), steps_(stepsOf(kind)), cred_(cred), hooks_(hooks),
        progress_(progress), log_(log) {
    ctx_.progress = &progress_;
    ctx_.cancel = conn_.cancelFlag();
    timeoutMs_ = conn_.timeout();
    tempPath_ = platform::joinPath(hooks_.projectFolder(), kReceiveTemp);
  }
  ~Runner() {
    closeFiles();
    std::remove(tempPath_.c_str());
  }

  bool run(std::string& message);

 private:
  void end(std::string message, bool success) {
    message_ = std::move(message);
    success_ = success;
    running_ = false;
  }
  void log(std::string_view line) {
    if (log_) log_(line);
  }
  // A failed send or receive ends the loop; a time-out or a cancel says so.
  void lost(IoResult r) {
    running_ = false;
    if (r == IoResult::TimedOut) message_ = timeoutMessage(timeoutMs_);
    else if (r == IoResult::Cancelled) message_ = kCancelled;
    success_ = false;
  }
  bool send(const std::string& payload) {
    const IoResult r = conn_.sendMessage(payload);
    if (r == IoResult::Ok) {
      if (log_ && index_ < steps_.size()) log_("Sent packet");
      return true;
    }
    lost(r);
    return false;
  }
  bool sendStatus(std::uint32_t status, std::uint32_t value = 0, std::uint32_t value2 = 0) {
    return send(encodeStatus({clientId_, status, value, value2}));
  }
  Step step() const { return steps_[index_]; }
  void openStep();
  void handle(std::string_view payload);
  void handleLogin(std::string_view payload);
  void handleSelect(std::string_view payload);
  void handleSend(std::string_view payload);
  void handleReceive(std::string_view payload);
  void stepDone();
  bool replyByState(std::uint32_t value);
  void openSend();
  void closeFiles() {
    source_.reset();
    sink_.reset();
  }
  bool flushBuffer();

  Connection& conn_;
  TransactionKind kind_;
  const std::vector<Step>& steps_;
  const Credentials& cred_;
  StepHooks& hooks_;
  TransactionProgress& progress_;
  const LogSink& log_;
  StepContext ctx_;
  int timeoutMs_ = 0;

  std::uint32_t clientId_ = 0;
  std::size_t index_ = 0;
  bool clientTurn_ = true;
  bool running_ = true;
  bool success_ = false;
  std::string message_;

  // The transfer record of the current file step.
  int state_ = 0;  // 1 announced, 2 sending blocks, 3 finished
  std::uint32_t length_ = 0;
  std::uint32_t blockCount_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t bytesReceived_ = 0;
  std::uint64_t readAt_ = 0;  // where the file to send is read next
  std::uint32_t blocksReceived_ = 0;
  int errors_ = 0;
  bool headerSeen_ = false;
  std::array<char, kBufferBlocks * kBlockSize> buffer_{};
  std::array<std::uint32_t, kBufferBlocks> bufferLength_{};
  int buffered_ = 0;
  std::string tempPath_;
  File source_{nullptr, std::fclose};
  File sink_{nullptr, std::fclose};
};

bool Runner::run(std::string& message) {
  IoResult r = conn_.sendMessage(encodeTransactionRequest(kind_));
  if (r != IoResult::Ok) {
    lost(r);
    if (message_.empty()) message_ = "Transaction packet send failed";
  } else {
    std::string ack;
    r = conn_.receiveMessage(ack);
    if (r != IoResult::Ok) {
      lost(r);
      if (message_.empty()) message_ = "Transaction ack receive failed";
    } else if (ack.size() != kStatusPacketSize) {
      end("Transaction ack length bad", false);
    } else {
      StatusPacket st;
      decodeStatus(ack, st);
      if (packetKind(ack) != std::uint32_t(PacketKind::Status) || st.status != status::kAck)
        end("Transaction response not ack", false);
      else
        clientId_ = st.clientId;
    }
  }

  std::string payload;
  while (running_) {
    if (clientTurn_) {
      clientTurn_ = false;
      ctx_.fileToSend.clear();
      ctx_.destination.clear();
      conn_.flush();
      StepResult prep = hooks_.prepare(step(), ctx_);
      if (prep.kind != StepResult::Continue) {
        // A preparation the user stopped ends as a cancel does anywhere else.
        if (prep.kind == StepResult::Fail && ctx_.cancelled()) prep.message = kCancelled;
        end(std::move(prep.message), prep.kind == StepResult::Finish);
        break;
      }
      openStep();
      continue;
    }
    r = conn_.receiveMessage(payload);
    if (r != IoResult::Ok) {
      lost(r);
      break;
    }
    if (packetSecondWord(payload) != 0) {
      log("Found packet, invalid client ID (should be zero for server)");
      continue;
    }
    log("Found packet (with valid client ID)");
    handle(payload);
  }
  closeFiles();
  conn_.flush();
  if (message_.empty()) message_ = kLostConnection;
  message = message_;
  return success_;
}

void Runner::openStep() {
  switch (classOf(step())) {
    case StepClass::Login: {
      LoginPacket p{clientId_, crc32Of(cred_.user + cred_.password), cred_.user};
      send(encodeLogin(p));
      break;
    }
    case StepClass::Select:
      send(encodeProjectSelect({clientId_, cred_.project, cred_.comment}));
      break;
    case StepClass::SendFile:
      openSend();
      break;
    case StepClass::ReceiveFile:
      headerSeen_ = false;
      bytesReceived_ = blocksReceived_ = 0;
      buffered_ = 0;
      break;
  }
}

void Runner::handle(std::string_view payload) {
  switch (classOf(step())) {
    case StepClass::Login: handleLogin(payload); break;
    case StepClass::Select: handleSelect(payload); break;
    case StepClass::SendFile: handleSend(payload); break;
    case StepClass::ReceiveFile: handleReceive(payload); break;
  }
}

void Runner::stepDone() {
  conn_.flush();
  closeFiles();
  StepResult done = hooks_.complete(step(), ctx_);
  if (done.kind != StepResult::Continue) {
    end(std::move(done.message), done.kind == StepResult::Finish);
    return;
  }
  if (++index_ >= steps_.size()) {
    end("Complete!", true);
    return;
  }
  clientTurn_ = true;
}

void Runner::handleLogin(std::string_view payload) {
  StatusPacket st;
  if (packetKind(payload) == std::uint32_t(PacketKind::Status) && decodeStatus(payload, st) &&
      st.status == status::kAck)
    stepDone();
  else
    end("Login Packet Error", false);
}

void Runner::handleSelect(std::string_view payload) {
  StatusPacket st;
  if (packetKind(payload) != std::uint32_t(PacketKind::Status) || !decodeStatus(payload, st)) {
    end("Project select error", false);
    return;
  }
  switch (st.status) {
    case status::kAck: stepDone(); break;
    case status::kUnknownProject:
      end("Server does not recognise project '" + cred_.project + "'", false);
      break;
    case status::kNoAccess:
      end("User has no access to project '" + cred_.project + "'", false);
      break;
    case status::kCommitInProgress: end("Commit in progress - try again later", false); break;
    default: end("Project select error", false); break;
  }
}

// ---- sending a file --------------------------------------------------------

void Runner::openSend() {
  const std::string& path = ctx_.fileToSend;
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    end("File or folder to transfer has zero length or missing", false);
    return;
  }
  if (std::uint64_t(st.st_size) > 0xFFFFFFFFULL || !fileCrc32(path, crc_)) {
    end("File or folder to transfer has zero length or missing", false);
    return;
  }
  source_.reset(std::fopen(path.c_str(), "rb"));
  if (source_) std::setvbuf(source_.get(), nullptr, _IOFBF, 64 * 1024);
  readAt_ = 0;
  if (!source_) {
    end("File or folder to transfer has zero length or missing", false);
    return;
  }
  length_ = std::uint32_t(st.st_size);
  blockCount_ = blockCountOf(length_);
  state_ = 1;
  errors_ = 0;
  progress_.set(0, blockCount_);
  send(encodeFileHeader({clientId_, length_, crc_}));
}

bool Runner::replyByState(std::uint32_t value) {
  switch (state_) {
    case 1: return send(encodeFileHeader({clientId_, length_, crc_}));
    case 2: {
      char data[kBlockSize];
      std::size_t got = 0;
      const std::uint64_t at = std::uint64_t(value) * kBlockSize;
      if (value < blockCount_ &&
          (at == readAt_ || std::fseek(source_.get(), long(at), SEEK_SET) == 0)) {
        got = std::fread(data, 1, kBlockSize, source_.get());
        readAt_ = at + got;
      }
      if (got == 0) return sendStatus(status::kLocalIoFailure);
      FileBlockPacket b;
      b.clientId = clientId_;
      b.length = std::uint32_t(got);
      b.index = value;
      b.crc = crc32Of(std::string_view(data, got));
      b.data = std::string_view(data, got);
      progress_.set(value, blockCount_);
      return send(encodeFileBlock(b));
    }
    default:
      progress_.set(1, 1);
      return send(encodeFileEnd(clientId_));
  }
}

void Runner::handleSend(std::string_view payload) {
  const std::uint32_t kind = packetKind(payload);
  if (kind == std::uint32_t(PacketKind::ServerTerminate)) {
    end("Server Terminate", false);
    return;
  }
  StatusPacket st;
  if (kind != std::uint32_t(PacketKind::Status) || !decodeStatus(payload, st)) {
    sendStatus(status::kUnexpectedPacket);
    return;
  }
  switch (st.status) {
    case status::kAck:
    case status::kAckAlt:
      errors_ = 0;
      if (state_ == 1) {
        state_ = st.value >= blockCount_ ? 3 : 2;
      } else if (state_ == 2) {
        if (st.value >= blockCount_) state_ = 3;
      } else {
        stepDone();
        return;
      }
      break;
    case status::kBadBlock:
    case status::kWrongBlock:
    case status::kCrcMismatch:
      if (++errors_ >= 3) {
        sendStatus(status::kAbandoned);
        end("Too many CRC errors in file Xfer", false);
        return;
      }
      break;
    case status::kResume: {
      if (state_ != 1) {
        end("Bad state", false);
        return;
      }
      std::uint32_t held = 0;
      const bool same = st.value <= length_ && fileCrc32(ctx_.fileToSend, held, st.value) &&
                        held == st.value2;
      errors_ = 0;
      if (same) {
        sendStatus(status::kResumeAccepted);
        log("Transfer resumed " + std::to_string(std::uint64_t(st.value) * 100 / length_) + "%");
      } else {
        sendStatus(status::kResumeRefused);
        log("Transfer resume failed");
      }
      return;
    }
    case status::kMustUpdate:
      end("Client needs to update first", true);
      return;
    default:
      break;
  }
  replyByState(st.value);
}

// ---- receiving a file ------------------------------------------------------

bool Runner::flushBuffer() {
  for (int i = 0; i < buffered_; ++i) {
    const std::size_t n = bufferLength_[std::size_t(i)];
    if (std::fwrite(buffer_.data() + std::size_t(i) * kBlockSize, 1, n, sink_.get()) != n)
      return false;
  }
  buffered_ = 0;
  return true;
}

void Runner::handleReceive(std::string_view payload) {
  const std::uint32_t kind = packetKind(payload);
  if (kind == std::uint32_t(PacketKind::FileHeader)) {
    FileHeaderPacket h;
    if (!decodeFileHeader(payload, h)) {
      sendStatus(status::kUnexpectedPacket);
      return;
    }
    if (h.length > kMaxReceive) {
      sendStatus(status::kLocalIoFailure);
      end("El servidor anuncia un archivo demasiado grande", false);
      return;
    }
    length_ = h.length;
    crc_ = h.crc;
    bytesReceived_ = blocksReceived_ = 0;
    buffered_ = 0;
    sink_.reset();
    std::remove(tempPath_.c_str());
    sink_.reset(std::fopen(tempPath_.c_str(), "wb"));
    if (sink_) std::setvbuf(sink_.get(), nullptr, _IOFBF, 64 * 1024);
    if (!sink_) {
      sendStatus(status::kLocalIoFailure);
      end("Client error during writing", false);
      return;
    }
    headerSeen_ = true;
    progress_.set(0, blockCountOf(length_));
    sendStatus(status::kAck, 0);
    return;
  }
  if (kind == std::uint32_t(PacketKind::FileBlock) && headerSeen_) {
    FileBlockPacket b;
    if (!decodeFileBlock(payload, b)) {
      sendStatus(status::kBadBlock, blocksReceived_);
      return;
    }
    if (std::uint64_t(b.index) * kBlockSize != bytesReceived_) {
      sendStatus(status::kWrongBlock, blocksReceived_);
      return;
    }
    // Only the last block may be short, and no block may pass the end.
    if (b.length == 0 || b.length > kBlockSize || b.data.size() != b.length ||
        bytesReceived_ + b.length > length_ ||
        (b.length < kBlockSize && bytesReceived_ + b.length != length_)) {
      sendStatus(status::kBadBlock, blocksReceived_);
      return;
    }
    if (crc32Of(b.data) != b.crc) {
      sendStatus(status::kCrcMismatch, blocksReceived_);
      return;
    }
    bool written = true;
    if (b.index != 0 && b.index % kBufferBlocks == 0) written = flushBuffer();
    const std::size_t slot = b.index % kBufferBlocks;
    std::copy(b.data.begin(), b.data.end(), buffer_.begin() + slot * kBlockSize);
    bufferLength_[slot] = b.length;
    buffered_ = int(slot) + 1;
    bytesReceived_ += b.length;
    if (written && bytesReceived_ == length_) written = flushBuffer();
    if (!written) {
      sendStatus(status::kLocalIoFailure);
      end("Client error during writing", false);
      return;
    }
    ++blocksReceived_;
    progress_.set(blocksReceived_, blockCountOf(length_));
    sendStatus(status::kAck, blocksReceived_);
    return;
  }
  if (kind == std::uint32_t(PacketKind::FileEnd) && headerSeen_) {
    if ((buffered_ > 0 && !flushBuffer()) || (sink_ && std::fflush(sink_.get()) != 0)) {
      sendStatus(status::kLocalIoFailure);
      end("Client error during writing", false);
      return;
    }
    sink_.reset();
    std::uint32_t crc = 0;
    if (bytesReceived_ != length_ || !fileCrc32(tempPath_, crc) || crc != crc_) {
      sink_.reset(std::fopen(tempPath_.c_str(), "ab"));
      sendStatus(status::kCrcMismatch, blocksReceived_);
      return;
    }
    std::string error;
    const bool unpacked = hooks_.unpack(step(), tempPath_, ctx_.destination, error);
    std::remove(tempPath_.c_str());
    if (!unpacked) {
      sendStatus(status::kLocalIoFailure);
      end(error, false);
      return;
    }
    if (!sendStatus(status::kAck, blocksReceived_)) return;
    stepDone();
    return;
  }
  sendStatus(status::kUnexpectedPacket);
}

}  // namespace

bool runTransaction(Connection& conn, TransactionKind kind, const Credentials& credentials,
                    StepHooks& hooks, TransactionProgress& progress, const LogSink& log,
                    std::string& message) {
  Runner runner(conn, kind, credentials, hooks, progress, log);
  return runner.run(message);
}

}  // namespace tarvolin::sharing
