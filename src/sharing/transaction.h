// One sharing transaction: the steps each kind runs, the hooks through which
// the project side prepares and completes them, the progress the worker
// publishes, and the step machine that drives a connected stream.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sharing/socket.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {

enum class Step {
  Login,
  SelectProject,
  SendVersionList,
  ReceiveVersionList,
  ReceiveNewFiles,
  SendChangeList,
  SendProposedFiles,
  SendCommittedFiles,
  ReceiveProjectInfo,
  ReceiveCommitResult,
};
enum class StepClass { Login, Select, SendFile, ReceiveFile };

StepClass classOf(Step step);
// The steps of a kind, in the order they run.
const std::vector<Step>& stepsOf(TransactionKind kind);

// The phase texts of the progress window.
enum class Phase { None, Listing, SendingList, ReceivingList, ReceivingNew };
std::string_view phaseText(Phase phase);

// Progress written by the worker and read by the user interface; each value
// has one writer, and the changed flags tell the reader what is new.
class TransactionProgress {
 public:
  void set(std::uint32_t done, std::uint32_t total);
  void setPhase(Phase phase);
  // True (with the values) when the progress changed since the last take.
  bool take(std::uint32_t& done, std::uint32_t& total);
  bool takePhase(Phase& phase);
  void reset();

 private:
  std::atomic<std::uint64_t> value_{0};  // done << 32 | total
  std::atomic<bool> changed_{false};
  std::atomic<int> phase_{0};
  std::atomic<bool> phaseChanged_{false};
};

// What a step hook tells the step machine.
struct StepResult {
  enum Kind { Continue, Fail, Finish } kind = Continue;
  std::string message;  // Fail and Finish end the transaction with it
  static StepResult ok() { return {}; }
  static StepResult fail(std::string m) { return {Fail, std::move(m)}; }
  // Ends the transaction at once, counted as a success.
  static StepResult finish(std::string m) { return {Finish, std::move(m)}; }
};

struct StepContext {
  std::string fileToSend;   // send steps: the file the preparation built
  std::string destination;  // receive steps: where the received pack is unpacked
  TransactionProgress* progress = nullptr;
  // Becomes true when the user cancels; long preparations look at it.
  const std::atomic<bool>* cancel = nullptr;
  bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

// The project side of a transaction: what each step prepares, how a
// received pack is unpacked, what each step completes.
class StepHooks {
 public:
  virtual ~StepHooks() = default;
  // The folder the transaction's temporary files live in.
  virtual std::string projectFolder() const = 0;
  virtual StepResult prepare(Step step, StepContext& ctx) = 0;
  // Unpacks a received pack; false with a message when it is refused.
  virtual bool unpack(Step step, const std::string& packPath, const std::string& destination,
                      std::string& error) = 0;
  virtual StepResult complete(Step step, StepContext& ctx) = 0;
};

struct Credentials {
  std::string user;
  std::string password;
  std::string project;  // the project's network name
  std::string comment;  // commit only
};

using LogSink = std::function<void(std::string_view line)>;

// The client's messages for ends the protocol leaves open.
inline constexpr std::string_view kLostConnection = "Se perdió la conexión con el servidor";
inline constexpr std::string_view kCancelled = "Operación cancelada por el usuario";
// "%d" is the time-out in seconds.
std::string timeoutMessage(int timeoutMs);

// Runs one transaction over a connected stream (the worker's loop). The
// stream's time-out and cancel flag decide how long a silent server is
// waited for. Returns the success flag; `message` is the result text.
bool runTransaction(Connection& conn, TransactionKind kind, const Credentials& credentials,
                    StepHooks& hooks, TransactionProgress& progress, const LogSink& log,
                    std::string& message);

}  // namespace tarvolin::sharing
