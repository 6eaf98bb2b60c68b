// The sharing client: runs one transaction on a worker thread and hands its
// results to the user interface through flags that each side writes alone.
// The interface polls `finished()` (and the progress) without blocking;
// `cancel()` ends a transaction the way a failed one ends.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "sharing/socket.h"
#include "sharing/transaction.h"

namespace tarvolin::sharing {

inline constexpr int kDefaultTimeoutMs = 60000;

struct ConnectionSettings {
  std::string server;
  int port = 0;
  int timeoutMs = kDefaultTimeoutMs;  // longest silence from the server
};

class SharingClient {
 public:
  SharingClient();
  ~SharingClient();
  SharingClient(const SharingClient&) = delete;
  SharingClient& operator=(const SharingClient&) = delete;

  // Connects and runs the transaction on the worker thread. False when a
  // transaction is still running, or (status "Fallo al abrir rama") when
  // the thread cannot start. A connection that fails ends the transaction with
  // "Fallo al intentar conexión: <server>" and `couldNotConnect()`.
  bool start(TransactionKind kind, const ConnectionSettings& where, const Credentials& who,
             StepHooks& hooks);

  // True from a successful connection until the worker closes it.
  bool connected() const { return connected_.load(std::memory_order_acquire); }
  // True once the worker has published its results (or nothing was started).
  bool finished() const { return finished_.load(std::memory_order_acquire); }
  // Waits for the worker to end.
  void wait();
  // Asks the worker to stop waiting for the server; the transaction ends as
  // a failed one with "Operación cancelada por el usuario".
  void cancel() { cancel_.store(true); }

  TransactionProgress& progress() { return progress_; }

  // Results; read them once `finished()`.
  bool success() const { return success_; }
  const std::string& statusText() const { return status_; }
  bool couldNotConnect() const { return couldNotConnect_; }
  // "Conexión abierta" while open, "Closed" after.
  std::string connectionText() const;

  // Protocol log lines ("Found packet ...", "Sent packet", "Transfer resumed
  // 50%"); dropped unless set. Set before `start`.
  void setLog(LogSink log) { log_ = std::move(log); }
  // Socket diagnostics ("Error recv: ..."); standard output unless set.
  void setDiagnostics(DiagnosticSink diag) { diag_ = std::move(diag); }

 private:
  void work(TransactionKind kind, ConnectionSettings where, Credentials who, StepHooks* hooks);

  std::thread thread_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> finished_{true};
  std::atomic<bool> cancel_{false};
  TransactionProgress progress_;
  bool success_ = false;
  bool couldNotConnect_ = false;
  std::string status_;
  LogSink log_;
  DiagnosticSink diag_ = printDiagnostic;
};

}  // namespace tarvolin::sharing
