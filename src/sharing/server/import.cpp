#include "sharing/server/import.h"

#include <vector>

#include "sharing/shared_names.h"

namespace tarvolin::sharing::server {

bool importFolder(Store& store, const std::string& project, const std::string& folder,
                  const std::string& user, std::string& error, int* count) {
  const std::int64_t id = store.projectId(project);
  if (!id) {
    error = "No existe el proyecto '" + project + "'";
    return false;
  }
  std::vector<std::string> names;
  if (!listProjectFiles(folder, true, names)) {
    error = "No se puede leer la carpeta '" + folder + "'";
    return false;
  }
  std::vector<Change> changes;
  for (const std::string& n : names) {
    if (isNeverShared(n)) continue;
    Change c;
    c.kind = 'A';
    c.name = n;
    if (!store.storeObject(localPathOf(folder, n), c.object, c.size, error)) return false;
    changes.push_back(std::move(c));
  }
  if (count) *count = int(changes.size());
  if (changes.empty()) return true;
  std::int32_t revision = 0;
  std::vector<std::int32_t> versions;
  const CommitOutcome o =
      store.commit(id, user, "Importado de " + folder, changes, revision, versions, error);
  if (o == CommitOutcome::Stale)
    error = "El proyecto ya tiene archivos con esos nombres: " + error;
  return o == CommitOutcome::Done;
}

}  // namespace tarvolin::sharing::server
