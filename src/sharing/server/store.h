// The project server's store: users (salted password hashes, never the
// passwords), projects, access grants, every version of every file, the
// commit history and the proposals, in one SQLite database beside a folder
// of content files named by their SHA-256. Content is written before the
// database names it and a commit is one database transaction, so a commit
// is applied whole or not at all and nothing is ever overwritten.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace tarvolin::sharing::server {

inline constexpr std::string_view kDatabaseFile = "tarvolin-server.db";

struct StoredFile {
  std::string name;
  std::int32_t version = 0;
  std::string object;  // content name (hex SHA-256)
  std::uint64_t size = 0;
};

// One line of a change list as the store checks and applies it: 'V' a file
// the client holds unchanged at `base`, 'C' changed since `base`, 'A' new.
struct Change {
  char kind = 'V';
  std::string name;
  std::int32_t base = 0;
  std::string object;  // 'C' and 'A': the new content
  std::uint64_t size = 0;
};

enum class CommitOutcome { Done, Stale, Failed };

class Store {
 public:
  Store() = default;
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Creates the database and the content folder in `dir` (kept when there).
  static bool init(const std::string& dir, std::string& error);
  // Opens an initialised data folder.
  bool open(const std::string& dir, std::string& error);
  const std::string& dir() const { return dir_; }

  bool addUser(const std::string& name, const std::string& password, std::string& error);
  bool addProject(const std::string& name, std::string& error);
  bool grant(const std::string& user, const std::string& project, std::string& error);

  // Whether the login's CRC-32 (of user name and password) is the user's.
  bool checkLogin(const std::string& user, std::uint32_t crc);
  bool userExists(const std::string& user);
  // The project's id; 0 when there is no such project (ignoring case).
  std::int64_t projectId(const std::string& name);
  std::string projectName(std::int64_t project);
  bool hasAccess(const std::string& user, std::int64_t project);

  // The newest version of every file of the project.
  std::vector<StoredFile> latest(std::int64_t project);
  std::int32_t revision(std::int64_t project);
  // The versions kept of one file, oldest first.
  std::vector<StoredFile> history(std::int64_t project, const std::string& name);

  // Puts a file into the content folder; its content name and size. With
  // `move` the file itself is moved there (it must be on the same file
  // system, as the server's work folder is).
  bool storeObject(const std::string& path, std::string& object, std::uint64_t& size,
                   std::string& error, bool move = false);
  std::string objectPath(const std::string& object) const;

  // Checks the lines against the newest versions (a 'C' line older than the
  // server's, or an 'A' line naming an existing file, is Stale) and records
  // every 'C' and 'A' line as version revision + 1 in one transaction.
  // `versions` gets the resulting version of every line ('V' lines keep the
  // client's, which may be behind: the next update brings the newer file).
  CommitOutcome commit(std::int64_t project, const std::string& user, const std::string& comment,
                       const std::vector<Change>& changes, std::int32_t& newRevision,
                       std::vector<std::int32_t>& versions, std::string& error,
                       std::int64_t proposal = 0);
  // Only the check of `commit`.
  CommitOutcome check(std::int64_t project, const std::vector<Change>& changes,
                      std::string& error);

  // Keeps a proposal (the changed and new files with the versions they
  // start from); its id, 0 on failure.
  std::int64_t addProposal(std::int64_t project, const std::string& user,
                           const std::string& comment, const std::vector<Change>& changes,
                           std::string& error);
  // Applies an open proposal as a commit of its author.
  CommitOutcome acceptProposal(std::int64_t id, std::int32_t& newRevision, std::string& error);

  // Texts a person reads: the project information the clients receive, the
  // commit history, the open proposals.
  std::string projectInfo(std::int64_t project, int lastCommits = 10);
  std::string historyText(std::int64_t project);
  std::string proposalsText(std::int64_t project);

 private:
  bool exec(const char* sql);
  CommitOutcome checkLocked(std::int64_t project, const std::vector<Change>& changes,
                            std::string& error);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  // Logins already checked: user -> the CRC and the stored hash it matched.
  std::map<std::string, std::pair<std::uint32_t, std::string>> logins_;
  std::string dir_;
};

}  // namespace tarvolin::sharing::server
