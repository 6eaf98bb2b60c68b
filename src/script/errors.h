// Script errors: the numbered codes with their fixed Spanish messages, and the
// current error of an interpreter context (one per workbench, no globals).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin::script {

using ErrorCode = std::int32_t;

// Codes the interpreter sets that have no message of their own.
inline constexpr ErrorCode kErrorTooManyBlocks = 9;
inline constexpr ErrorCode kErrorVBlankWithParameters = 187;
inline constexpr ErrorCode kErrorHBlankWithParameters = 188;

// The message of a code; "Unknown error!" for codes without one.
std::string_view MessageFor(ErrorCode code);

// Whether the code has a message in the table.
bool HasMessage(ErrorCode code);

// Number of entries in the message table (186).
int MessageCount();

// Where a failing run was when it failed, for the status text.
enum class RunPlace { Frame, HBlank, VBlank };

// The current error and its detail text. Operations that fail record a code
// here and return false; only the latest error survives.
class ErrorState {
 public:
  // Records `code` as the current error and returns it.
  ErrorCode SetError(ErrorCode code) { code_ = code; return code; }
  ErrorCode GetError() const { return code_; }
  bool HasError() const { return code_ != 0; }
  // The message of the current code.
  std::string_view ErrorText() const { return MessageFor(code_); }
  void SetErrorDetail(std::string_view text) { detail_.assign(text); }
  // Copies the detail and returns true only for codes that carry one
  // (156, 160, 161, 171, 172).
  bool ErrorDetail(std::string& out) const;
  // Resets to "no error" (a run starts).
  void Clear() { code_ = 0; detail_.clear(); }

  // The emulator's status text for a run-time error at a 1-based line:
  // "<Error de Ciclo: <msg> en la línea N", or the HBLANK / VBLANK forms,
  // followed by ", " and the detail where there is one.
  std::string StatusText(RunPlace place, int line) const;

 private:
  ErrorCode code_ = 0;
  std::string detail_;
};

}  // namespace tarvolin::script
