// Descriptions of socket errors in the numbering of Windows Sockets, which
// the sharing diagnostics print, and the mapping from this platform's errno
// and resolver codes into that numbering.
#pragma once

#include <string>

namespace tarvolin::sharing {

// "(code) - Title. \nExplanation", "(OS dependent) - ..." for the codes the
// platform maps from its own errors, "Unknown (not listed) error" otherwise.
std::string socketErrorText(int code);

// The Windows Sockets code of an errno value (0 when none fits).
int socketCodeOfErrno(int err);
// The Windows Sockets code of a getaddrinfo result (EAI_*).
int socketCodeOfResolver(int eai, int err);

}  // namespace tarvolin::sharing
