// Command names as the timing database reads them.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvolin::script {

// The CommandId of a command's whole name, ignoring case; -1 when none.
std::int32_t TimingCommandByName(std::string_view name);
// The name of a CommandId; empty when it has none.
std::string_view TimingCommandName(std::int32_t id);

}  // namespace tarvolin::script
