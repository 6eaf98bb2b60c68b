#include "sharing/server/store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <random>

#include "platform/paths.h"
#include "sharing/crc32.h"
#include "sharing/server/sha256.h"
#include "sharing/shared_names.h"

namespace tarvolin::sharing::server {
namespace {

constexpr int kHashIterations = 4096;

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS users(
  name TEXT PRIMARY KEY, salt BLOB NOT NULL, hash BLOB NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS projects(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE COLLATE NOCASE,
  revision INTEGER NOT NULL DEFAULT 0, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS grants(
  user TEXT NOT NULL, project INTEGER NOT NULL, PRIMARY KEY(user, project));
CREATE TABLE IF NOT EXISTS commits(
  project INTEGER NOT NULL, revision INTEGER NOT NULL, user TEXT NOT NULL,
  time INTEGER NOT NULL, comment TEXT NOT NULL, proposal INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(project, revision));
CREATE TABLE IF NOT EXISTS versions(
  project INTEGER NOT NULL, key TEXT NOT NULL, name TEXT NOT NULL, version INTEGER NOT NULL,
  object TEXT NOT NULL, size INTEGER NOT NULL, PRIMARY KEY(project, key, version));
CREATE TABLE IF NOT EXISTS latest(
  project INTEGER NOT NULL, key TEXT NOT NULL, version INTEGER NOT NULL,
  PRIMARY KEY(project, key));
CREATE TABLE IF NOT EXISTS proposals(
  id INTEGER PRIMARY KEY, project INTEGER NOT NULL, user TEXT NOT NULL, time INTEGER NOT NULL,
  comment TEXT NOT NULL, state TEXT NOT NULL DEFAULT 'abierta', revision INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS proposal_files(
  proposal INTEGER NOT NULL, kind TEXT NOT NULL, name TEXT NOT NULL, base INTEGER NOT NULL,
  object TEXT NOT NULL, size INTEGER NOT NULL);
)sql";

class Statement {
 public:
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Statement() { sqlite3_finalize(s_); }
  bool ok() const { return s_ != nullptr; }
  Statement& bind(int i, std::int64_t v) {
    sqlite3_bind_int64(s_, i, v);
    return *this;
  }
  Statement& bind(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bindBlob(int i, const void* p, int n) {
    sqlite3_bind_blob(s_, i, p, n, SQLITE_TRANSIENT);
    return *this;
  }
  bool step() { return s_ && sqlite3_step(s_) == SQLITE_ROW; }
  bool run() {
    if (!s_) return false;
    const int rc = sqlite3_step(s_);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
  }
  std::int64_t integer(int col) { return sqlite3_column_int64(s_, col); }
  std::string text(int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
    return p ? std::string(p, std::size_t(sqlite3_column_bytes(s_, col))) : std::string();
  }
  std::string blob(int col) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(s_, col));
    return p ? std::string(p, std::size_t(sqlite3_column_bytes(s_, col))) : std::string();
  }

 private:
  sqlite3_stmt* s_ = nullptr;
};

std::int64_t now() { return std::int64_t(std::time(nullptr)); }

std::string timeText(std::int64_t t) {
  std::time_t tt = std::time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

std::string crcText(std::uint32_t crc) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08x", crc);
  return buf;
}

std::string passwordHash(std::uint32_t crc, const std::string& salt) {
  const Digest d = pbkdf2Sha256(crcText(crc), salt, kHashIterations);
  return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

bool constantTimeEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= unsigned(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

Store::~Store() {
  if (db_) sqlite3_close(db_);
}

bool Store::init(const std::string& dir, std::string& error) {
  if (!platform::makeFolders(platform::joinPath(dir, "objects"))) {
    error = "No se puede crear la carpeta de datos '" + dir + "'";
    return false;
  }
  Store s;
  return s.open(dir, error);
}

bool Store::open(const std::string& dir, std::string& error) {
  dir_ = dir;
  const std::string path = platform::joinPath(dir, kDatabaseFile);
  if (!platform::folderExists(platform::joinPath(dir, "objects"))) {
    error = "La carpeta '" + dir + "' no es una carpeta de datos del servidor (use 'init')";
    return false;
  }
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                             SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
    error = "No se puede abrir la base de datos '" + path + "'";
    return false;
  }
  sqlite3_busy_timeout(db_, 10000);
  if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL") || !exec(kSchema)) {
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Store::exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool Store::addUser(const std::string& name, const std::string& password, std::string& error) {
  if (name.empty() || name.size() > 50) {
    error = "El nombre de usuario debe tener entre 1 y 50 bytes";
    return false;
  }
  std::random_device rd;
  std::string salt(16, '\0');
  for (char& c : salt) c = char(rd());
  const std::string hash = passwordHash(crc32Of(name + password), salt);
  std::lock_guard lock(mutex_);
  Statement st(db_, "INSERT OR REPLACE INTO users(name, salt, hash, created) VALUES(?,?,?,?)");
  st.bind(1, name).bindBlob(2, salt.data(), int(salt.size()));
  st.bindBlob(3, hash.data(), int(hash.size())).bind(4, now());
  if (!st.run()) {
    error = std::string("No se puede guardar el usuario: ") + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Store::addProject(const std::string& name, std::string& error) {
  if (name.empty() || name.size() > 50) {
    error = "El nombre del proyecto debe tener entre 1 y 50 bytes";
    return false;
  }
  std::lock_guard lock(mutex_);
  Statement st(db_, "INSERT INTO projects(name, created) VALUES(?,?)");
  st.bind(1, name).bind(2, now());
  if (!st.run()) {
    error = "El proyecto '" + name + "' ya existe";
    return false;
  }
  return true;
}

bool Store::grant(const std::string& user, const std::string& project, std::string& error) {
  const std::int64_t id = projectId(project);
  if (!id) {
    error = "No existe el proyecto '" + project + "'";
    return false;
  }
  if (!userExists(user)) {
    error = "No existe el usuario '" + user + "'";
    return false;
  }
  std::lock_guard lock(mutex_);
  Statement st(db_, "INSERT OR IGNORE INTO grants(user, project) VALUES(?,?)");
  st.bind(1, user).bind(2, id);
  if (!st.run()) {
    error = std::string("No se puede guardar el permiso: ") + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Store::userExists(const std::string& user) {
  std::lock_guard lock(mutex_);
  Statement st(db_, "SELECT 1 FROM users WHERE name = ?");
  st.bind(1, user);
  return st.step();
}

bool Store::checkLogin(const std::string& user, std::uint32_t crc) {
  std::string salt, hash;
  {
    std::lock_guard lock(mutex_);
    Statement st(db_, "SELECT salt, hash FROM users WHERE name = ?");
    st.bind(1, user);
    if (!st.step()) return false;
    salt = st.blob(0);
    hash = st.blob(1);
    auto known = logins_.find(user);
    if (known != logins_.end() && known->second.first == crc && known->second.second == hash)
      return true;
  }
  if (!constantTimeEqual(passwordHash(crc, salt), hash)) return false;
  std::lock_guard lock(mutex_);
  logins_[user] = {crc, hash};
  return true;
}

std::int64_t Store::projectId(const std::string& name) {
  std::lock_guard lock(mutex_);
  Statement st(db_, "SELECT id FROM projects WHERE name = ?");
  st.bind(1, name);
  return st.step() ? st.integer(0) : 0;
}

std::string Store::projectName(std::int64_t project) {
  std::lock_guard lock(mutex_);
  Statement st(db_, "SELECT name FROM projects WHERE id = ?");
  st.bind(1, project);
  return st.step() ? st.text(0) : std::string();
}

bool Store::hasAccess(const std::string& user, std::int64_t project) {
  std::lock_guard lock(mutex_);
  Statement st(db_, "SELECT 1 FROM grants WHERE user = ? AND project = ?");
  st.bind(1, user).bind(2, project);
  return st.step();
}

std::vector<StoredFile> Store::latest(std::int64_t project) {
  std::lock_guard lock(mutex_);
  std::vector<StoredFile> out;
  Statement st(db_,
               "SELECT v.name, v.version, v.object, v.size FROM latest l JOIN versions v "
               "ON v.project = l.project AND v.key = l.key AND v.version = l.version "
               "WHERE l.project = ? ORDER BY l.key");
  st.bind(1, project);
  while (st.step())
    out.push_back({st.text(0), std::int32_t(st.integer(1)), st.text(2), std::uint64_t(st.integer(3))});
  return out;
}

std::int32_t Store::revision(std::int64_t project) {
  std::lock_guard lock(mutex_);
  Statement st(db_, "SELECT revision FROM projects WHERE id = ?");
  st.bind(1, project);
  return st.step() ? std::int32_t(st.integer(0)) : 0;
}

std::vector<StoredFile> Store::history(std::int64_t project, const std::string& name) {
  std::lock_guard lock(mutex_);
  std::vector<StoredFile> out;
  Statement st(db_,
               "SELECT name, version, object, size FROM versions WHERE project = ? AND key = ? "
               "ORDER BY version");
  st.bind(1, project).bind(2, sharedNameKey(name));
  while (st.step())
    out.push_back({st.text(0), std::int32_t(st.integer(1)), st.text(2), std::uint64_t(st.integer(3))});
  return out;
}

std::string Store::objectPath(const std::string& object) const {
  if (object.size() < 3) return {};
  return platform::joinPath(platform::joinPath(platform::joinPath(dir_, "objects"),
                                               object.substr(0, 2)),
                            object.substr(2));
}

bool Store::storeObject(const std::string& path, std::string& object, std::uint64_t& size,
                        std::string& error, bool move) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!in) {
    error = "No se puede leer '" + path + "'";
    return false;
  }
  std::string temp;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(nullptr, std::fclose);
  if (!move) {
    char tmpl[64];
    std::snprintf(tmpl, sizeof tmpl, "tmp-%08x", unsigned(std::random_device{}()));
    temp = platform::joinPath(platform::joinPath(dir_, "objects"), tmpl);
    out.reset(std::fopen(temp.c_str(), "wb"));
    if (!out) {
      error = "No se puede escribir en la carpeta de datos";
      return false;
    }
  }
  Sha256 hash;
  std::string buffer(65536, '\0');
  std::size_t got;
  size = 0;
  bool ok = true;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
    hash.update(buffer.data(), got);
    size += got;
    if (out && std::fwrite(buffer.data(), 1, got, out.get()) != got) ok = false;
  }
  ok = ok && !std::ferror(in.get()) && (!out || std::fflush(out.get()) == 0);
  out.reset();
  in.reset();
  const std::string source = move ? path : temp;
  object = hexOf(hash.finish());
  const std::string final = objectPath(object);
  if (ok && platform::fileExists(final)) {
    std::remove(source.c_str());
    return true;
  }
  ok = ok && platform::makeFolders(std::string(platform::folderOf(final))) &&
       std::rename(source.c_str(), final.c_str()) == 0;
  if (!ok) {
    if (!move) std::remove(temp.c_str());
    error = "No se puede guardar el contenido de '" + path + "'";
  }
  return ok;
}

CommitOutcome Store::checkLocked(std::int64_t project, const std::vector<Change>& changes,
                                 std::string& error) {
  for (const Change& c : changes) {
    Statement st(db_, "SELECT version FROM latest WHERE project = ? AND key = ?");
    st.bind(1, project).bind(2, sharedNameKey(c.name));
    const std::int32_t have = st.step() ? std::int32_t(st.integer(0)) : 0;
    // A file the client holds unchanged may be behind: it is not touched.
    if ((c.kind == 'A' && have > 0) || (c.kind == 'C' && have > c.base)) {
      error = "'" + c.name + "' tiene una versión más reciente en el servidor";
      return CommitOutcome::Stale;
    }
  }
  return CommitOutcome::Done;
}

CommitOutcome Store::check(std::int64_t project, const std::vector<Change>& changes,
                           std::string& error) {
  std::lock_guard lock(mutex_);
  return checkLocked(project, changes, error);
}

CommitOutcome Store::commit(std::int64_t project, const std::string& user,
                            const std::string& comment, const std::vector<Change>& changes,
                            std::int32_t& newRevision, std::vector<std::int32_t>& versions,
                            std::string& error, std::int64_t proposal) {
  std::lock_guard lock(mutex_);
  if (!exec("BEGIN IMMEDIATE")) {
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return CommitOutcome::Failed;
  }
  auto fail = [&](CommitOutcome o) {
    exec("ROLLBACK");
    return o;
  };
  const CommitOutcome checked = checkLocked(project, changes, error);
  if (checked != CommitOutcome::Done) return fail(checked);
  Statement rev(db_, "SELECT revision FROM projects WHERE id = ?");
  rev.bind(1, project);
  if (!rev.step()) {
    error = "No existe el proyecto";
    return fail(CommitOutcome::Failed);
  }
  const std::int32_t revision = std::int32_t(rev.integer(0)) + 1;
  versions.clear();
  for (const Change& c : changes) {
    const std::string key = sharedNameKey(c.name);
    if (c.kind == 'V') {
      // An unchanged file keeps the version the client holds, so that a
      // newer one still comes with its next update.
      versions.push_back(c.base);
      continue;
    }
    Statement ins(db_,
                  "INSERT INTO versions(project, key, name, version, object, size) "
                  "VALUES(?,?,?,?,?,?)");
    ins.bind(1, project).bind(2, key).bind(3, c.name).bind(4, revision).bind(5, c.object);
    ins.bind(6, std::int64_t(c.size));
    Statement lat(db_, "INSERT OR REPLACE INTO latest(project, key, version) VALUES(?,?,?)");
    lat.bind(1, project).bind(2, key).bind(3, revision);
    if (!ins.run() || !lat.run()) {
      error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
      return fail(CommitOutcome::Failed);
    }
    versions.push_back(revision);
  }
  Statement up(db_, "UPDATE projects SET revision = ? WHERE id = ?");
  up.bind(1, revision).bind(2, project);
  Statement log(db_,
                "INSERT INTO commits(project, revision, user, time, comment, proposal) "
                "VALUES(?,?,?,?,?,?)");
  log.bind(1, project).bind(2, revision).bind(3, user).bind(4, now()).bind(5, comment);
  log.bind(6, proposal);
  if (!up.run() || !log.run()) {
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return fail(CommitOutcome::Failed);
  }
  if (proposal) {
    Statement done(db_, "UPDATE proposals SET state = 'aceptada', revision = ? WHERE id = ?");
    done.bind(1, revision).bind(2, proposal);
    done.run();
  }
  if (!exec("COMMIT")) {
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return fail(CommitOutcome::Failed);
  }
  newRevision = revision;
  return CommitOutcome::Done;
}

std::int64_t Store::addProposal(std::int64_t project, const std::string& user,
                                const std::string& comment, const std::vector<Change>& changes,
                                std::string& error) {
  std::lock_guard lock(mutex_);
  if (!exec("BEGIN IMMEDIATE")) {
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return 0;
  }
  Statement p(db_, "INSERT INTO proposals(project, user, time, comment) VALUES(?,?,?,?)");
  p.bind(1, project).bind(2, user).bind(3, now()).bind(4, comment);
  if (!p.run()) {
    exec("ROLLBACK");
    error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
    return 0;
  }
  const std::int64_t id = sqlite3_last_insert_rowid(db_);
  for (const Change& c : changes) {
    Statement f(db_,
                "INSERT INTO proposal_files(proposal, kind, name, base, object, size) "
                "VALUES(?,?,?,?,?,?)");
    f.bind(1, id).bind(2, std::string(1, c.kind)).bind(3, c.name).bind(4, c.base);
    f.bind(5, c.object).bind(6, std::int64_t(c.size));
    if (!f.run()) {
      exec("ROLLBACK");
      error = std::string("Error en la base de datos: ") + sqlite3_errmsg(db_);
      return 0;
    }
  }
  if (!exec("COMMIT")) {
    exec("ROLLBACK");
    return 0;
  }
  return id;
}

CommitOutcome Store::acceptProposal(std::int64_t id, std::int32_t& newRevision,
                                    std::string& error) {
  std::int64_t project = 0;
  std::string user, comment;
  std::vector<Change> changes;
  {
    std::lock_guard lock(mutex_);
    Statement p(db_, "SELECT project, user, comment, state FROM proposals WHERE id = ?");
    p.bind(1, id);
    if (!p.step()) {
      error = "No existe la propuesta " + std::to_string(id);
      return CommitOutcome::Failed;
    }
    if (p.text(3) != "abierta") {
      error = "La propuesta " + std::to_string(id) + " ya está " + p.text(3);
      return CommitOutcome::Failed;
    }
    project = p.integer(0);
    user = p.text(1);
    comment = p.text(2);
    Statement f(db_, "SELECT kind, name, base, object, size FROM proposal_files WHERE proposal = ?");
    f.bind(1, id);
    while (f.step()) {
      Change c;
      c.kind = f.text(0).empty() ? 'C' : f.text(0)[0];
      c.name = f.text(1);
      c.base = std::int32_t(f.integer(2));
      c.object = f.text(3);
      c.size = std::uint64_t(f.integer(4));
      changes.push_back(std::move(c));
    }
  }
  std::vector<std::int32_t> versions;
  const std::string text = comment.empty() ? "Propuesta " + std::to_string(id)
                                           : comment + " (propuesta " + std::to_string(id) + ")";
  return commit(project, user, text, changes, newRevision, versions, error, id);
}

std::string Store::projectInfo(std::int64_t project, int lastCommits) {
  const std::string name = projectName(project);
  const std::int32_t rev = revision(project);
  const std::size_t files = latest(project).size();
  std::lock_guard lock(mutex_);
  std::string out = "Proyecto: " + name + "\n";
  out += "Versión más reciente: " + std::to_string(rev) + "\n";
  out += "Archivos: " + std::to_string(files) + "\n";
  out += "Últimos depósitos:\n";
  Statement c(db_,
              "SELECT c.revision, c.user, c.time, c.comment, "
              "(SELECT COUNT(*) FROM versions v WHERE v.project = c.project AND "
              "v.version = c.revision) FROM commits c WHERE c.project = ? "
              "ORDER BY c.revision DESC LIMIT ?");
  c.bind(1, project).bind(2, lastCommits);
  bool any = false;
  while (c.step()) {
    any = true;
    out += "  " + std::to_string(c.integer(0)) + "  " + timeText(c.integer(2)) + "  " + c.text(1) +
           "  archivos: " + std::to_string(c.integer(4)) + "  " + c.text(3) + "\n";
  }
  if (!any) out += "  (ninguno)\n";
  out += "Usuarios:";
  Statement u(db_, "SELECT user FROM grants WHERE project = ? ORDER BY user");
  u.bind(1, project);
  bool first = true;
  while (u.step()) {
    out += first ? " " : ", ";
    out += u.text(0);
    first = false;
  }
  out += "\n";
  Statement p(db_, "SELECT COUNT(*) FROM proposals WHERE project = ? AND state = 'abierta'");
  p.bind(1, project);
  if (p.step()) out += "Propuestas abiertas: " + std::to_string(p.integer(0)) + "\n";
  return out;
}

std::string Store::historyText(std::int64_t project) {
  std::lock_guard lock(mutex_);
  std::string out;
  Statement c(db_,
              "SELECT revision, user, time, comment, proposal FROM commits WHERE project = ? "
              "ORDER BY revision");
  c.bind(1, project);
  while (c.step()) {
    const std::int64_t rev = c.integer(0);
    out += "Versión " + std::to_string(rev) + "  " + timeText(c.integer(2)) + "  " + c.text(1) +
           "\n";
    if (!c.text(3).empty()) out += "  " + c.text(3) + "\n";
    Statement f(db_,
                "SELECT name, size FROM versions WHERE project = ? AND version = ? ORDER BY key");
    f.bind(1, project).bind(2, rev);
    while (f.step())
      out += "    " + f.text(0) + " (" + std::to_string(f.integer(1)) + " bytes)\n";
  }
  return out;
}

std::string Store::proposalsText(std::int64_t project) {
  std::lock_guard lock(mutex_);
  std::string out;
  Statement p(db_,
              "SELECT id, user, time, comment, state, revision FROM proposals WHERE project = ? "
              "ORDER BY id");
  p.bind(1, project);
  while (p.step()) {
    out += "Propuesta " + std::to_string(p.integer(0)) + "  " + timeText(p.integer(2)) + "  " +
           p.text(1) + "  " + p.text(4);
    if (p.integer(5)) out += " (versión " + std::to_string(p.integer(5)) + ")";
    out += "\n";
    if (!p.text(3).empty()) out += "  " + p.text(3) + "\n";
    Statement f(db_, "SELECT kind, name, base FROM proposal_files WHERE proposal = ? ORDER BY name");
    f.bind(1, p.integer(0));
    while (f.step())
      out += "    " + f.text(0) + " " + f.text(1) +
             (f.text(0) == "A" ? std::string() : " (desde la versión " + std::to_string(f.integer(2)) + ")") +
             "\n";
  }
  return out;
}

}  // namespace tarvolin::sharing::server
