#include "script/command_families.h"

namespace tarvolin::script {

void CommandFamilies::Add(CommandFamily* family) {
  if (!family) return;
  families_.push_back(family);
  for (int c = 0; c < kCommandIdLimit; ++c)
    if (!byCommand_[c] && family->Handles(c)) byCommand_[c] = family;
}

void CommandFamilies::Reset() {
  for (CommandFamily* f : families_) f->Reset();
}

int CommandFamilies::FindAsset(AssetKind kind, std::string_view name) const {
  for (const CommandFamily* f : families_) {
    const int index = f->FindAsset(kind, name);
    if (index >= 0) return index;
  }
  return -1;
}

bool CommandFamilies::Execute(std::int32_t command, const std::int32_t* p, int count,
                              std::int32_t* out, int& outCount, ErrorState& err) {
  if (!Handles(command)) return err.SetError(err::kUnknownCommand), false;
  return byCommand_[command]->Execute(command, p, count, out, outCount, err);
}

}  // namespace tarvolin::script
