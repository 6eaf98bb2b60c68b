#include "sharing/client.h"

#include <cstdio>
#include <system_error>

#include "platform/paths.h"
#include "sharing/version_list.h"

namespace tarvolin::sharing {

SharingClient::SharingClient() = default;

SharingClient::~SharingClient() {
  cancel();
  wait();
}

void SharingClient::wait() {
  if (thread_.joinable()) thread_.join();
}

std::string SharingClient::connectionText() const {
  return connected() ? "Conexión abierta" : "Closed";
}

bool SharingClient::start(TransactionKind kind, const ConnectionSettings& where,
                          const Credentials& who, StepHooks& hooks) {
  if (!finished()) return false;  // one transaction at a time
  wait();
  success_ = false;
  couldNotConnect_ = false;
  status_.clear();
  cancel_.store(false);
  progress_.reset();
  finished_.store(false, std::memory_order_release);
  try {
    thread_ = std::thread(&SharingClient::work, this, kind, where, who, &hooks);
  } catch (const std::system_error&) {
    finished_.store(true, std::memory_order_release);
    status_ = "Fallo al abrir rama";
    return false;
  }
  return true;
}

void SharingClient::work(TransactionKind kind, ConnectionSettings where, Credentials who,
                         StepHooks* hooks) {
  Connection conn;
  int code = 0;
  const IoResult r =
      Connection::connectTo(where.server, where.port, where.timeoutMs, &cancel_, diag_, conn, code);
  bool success = false;
  std::string status;
  if (r != IoResult::Ok) {
    couldNotConnect_ = r == IoResult::Failed || r == IoResult::TimedOut;
    status = r == IoResult::Cancelled ? std::string(kCancelled)
                                      : "Fallo al intentar conexión: " + where.server;
  } else {
    connected_.store(true, std::memory_order_release);
    conn.setTimeout(where.timeoutMs);
    conn.setCancelFlag(&cancel_);
    conn.setDiagnostics(diag_);
    success = runTransaction(conn, kind, who, *hooks, progress_, log_, status);
    // The transaction's temporary files never outlive it.
    const std::string folder = hooks->projectFolder();
    std::remove(platform::joinPath(folder, "~filepack.tmp").c_str());
    std::remove(platform::joinPath(folder, kVersionListFile).c_str());
    conn.shutdownBoth();
    conn.close();
  }
  success_ = success;
  status_ = std::move(status);
  connected_.store(false, std::memory_order_release);
  finished_.store(true, std::memory_order_release);
}

}  // namespace tarvolin::sharing
