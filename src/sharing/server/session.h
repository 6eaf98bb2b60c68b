// One client connection on the server: the transaction request, login,
// project selection and the file steps of the four transactions, mirroring
// the client's step machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sharing/file_pack.h"
#include "sharing/socket.h"
#include "sharing/version_list.h"
#include "sharing/wire.h"

namespace tarvolin::sharing::server {

class SharingServer;
struct Change;

class Session {
 public:
  Session(SharingServer& server, Connection& conn, std::uint32_t id);
  ~Session();
  void run();

 private:
  // What to answer once a received file has arrived whole and intact:
  // status 1 to go on, 10 when the client must update first, anything else
  // (after a ServerTerminate) to give up.
  using Verdict = std::function<std::uint32_t(const std::string& path)>;

  bool receive(std::string& payload);
  bool sendStatus(std::uint32_t status, std::uint32_t value = 0, std::uint32_t value2 = 0);
  bool receiveFile(const std::string& tag, const std::string& path, const Verdict& verdict);
  bool sendFile(const std::string& path);
  bool sendPack(const std::vector<PackSource>& files);
  std::string work(std::string_view name) const;
  std::string partialPath(const std::string& tag, std::uint32_t length, std::uint32_t crc) const;

  void log(const std::string& line);
  // Reads the version list in a received pack; false when it is refused.
  bool readLines(const std::string& pack, std::vector<VersionLine>& lines);
  // Sends a pack holding a version list of these lines.
  bool writeList(const std::vector<VersionLine>& lines);

  bool info();
  bool update();
  bool sendChanges(bool commit);

  SharingServer& server_;
  Connection& conn_;
  std::uint32_t id_;
  std::string user_;
  std::string projectName_;
  std::string comment_;
  std::int64_t project_ = 0;
  bool commitLocked_ = false;
  std::string workDir_;
  std::uint32_t kind_ = 0;
};

}  // namespace tarvolin::sharing::server
