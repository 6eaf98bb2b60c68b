// Filling a new project on the server from a folder of files.
#pragma once

#include <string>

#include "sharing/server/store.h"

namespace tarvolin::sharing::server {

// Commits every shareable file below `folder` (files and folders beginning
// with "~", the shared-file list and CVS folders left out) as the first
// version of `project`, by `user`. False with a message on failure.
bool importFolder(Store& store, const std::string& project, const std::string& folder,
                  const std::string& user, std::string& error, int* files = nullptr);

}  // namespace tarvolin::sharing::server
