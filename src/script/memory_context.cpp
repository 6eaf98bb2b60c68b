#include "script/memory_context.h"

#include <cstdio>

#include "common/text.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

MemoryParseContext::MemoryParseContext() {
  for (const BuiltinDefinition& def : BuiltinDefinitions())
    definitions.push_back({BuiltinDefinitionName(def), def.value, true});
  for (int i = 0; i < kGlobalCount - 1; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "G_VAR%02d", i);
    globalNames[i] = name;
  }
  globalNames[kGlobalCount - 1] = "G_TICKS";
}

void MemoryParseContext::AddAsset(AssetKind kind, std::string name) {
  if (kind == AssetKind::Array) {
    AddArray(std::move(name), {});
    return;
  }
  assets[static_cast<int>(kind)].push_back(std::move(name));
}

int MemoryParseContext::AddArray(std::string name, std::vector<std::string> elements, bool system) {
  arrays.push_back({std::move(name), std::move(elements), system});
  return static_cast<int>(arrays.size()) - 1;
}

bool MemoryParseContext::FindDefinition(std::string_view name, std::int32_t& value) const {
  for (const Definition& d : definitions) {
    if (equalsIgnoreCase(d.name, name)) {
      value = d.value;
      return true;
    }
  }
  return false;
}

int MemoryParseContext::FindGlobal(std::string_view name) const {
  for (int i = 0; i < kGlobalCount; ++i)
    if (!globalNames[i].empty() && equalsIgnoreCase(globalNames[i], name)) return i;
  return -1;
}

int MemoryParseContext::FindAsset(AssetKind kind, std::string_view name) const {
  if (kind == AssetKind::Array) {
    for (std::size_t i = 0; i < arrays.size(); ++i)
      if (equalsIgnoreCase(arrays[i].name, name)) return static_cast<int>(i);
    return -1;
  }
  const auto& list = assets[static_cast<int>(kind)];
  for (std::size_t i = 0; i < list.size(); ++i)
    if (equalsIgnoreCase(list[i], name)) return static_cast<int>(i);
  return -1;
}

int MemoryParseContext::AssetCount(AssetKind kind) const {
  if (kind == AssetKind::Array) return static_cast<int>(arrays.size());
  return static_cast<int>(assets[static_cast<int>(kind)].size());
}

bool MemoryParseContext::IsSystemArray(int array) const {
  return array >= 0 && array < static_cast<int>(arrays.size()) && arrays[array].system;
}

int MemoryParseContext::FindArrayElement(int array, std::string_view element) const {
  if (array < 0 || array >= static_cast<int>(arrays.size())) return -1;
  const auto& elements = arrays[array].elements;
  for (std::size_t i = 0; i < elements.size(); ++i)
    if (equalsIgnoreCase(elements[i], element)) return static_cast<int>(i);
  return -1;
}

std::int32_t InputFunctionValue(int number, std::uint32_t current, std::uint32_t previous) {
  const int offset = number - kVarInput0;
  if (offset < 0 || offset >= 10 * kInputFunctionCount) return 0;
  const int function = offset / 10;
  const int button = offset % 10;
  const std::uint32_t pressed = current & ~previous;
  const std::uint32_t released = previous & ~current;
  const std::uint32_t mask = (1u << kButtonCount) - 1;
  switch (function) {
    case 0: return (pressed >> button) & 1;
    case 1: return (released >> button) & 1;
    case 2: return (current >> button) & 1;
    case 3: return std::int32_t(pressed & mask);
    case 4: return std::int32_t(released & mask);
    default: return std::int32_t(current & mask);
  }
}

MemoryVariables::MemoryVariables() {
  for (int i = 0; i < kGlobalCount; ++i) globalPointers_[i] = &globals[i];
}

int MemoryVariables::AddArray(int elementCount, int length, bool oneDimensional, bool readOnly) {
  Array a;
  a.oneDimensional = oneDimensional;
  a.readOnly = readOnly;
  a.length = length;
  a.elements.assign(static_cast<std::size_t>(elementCount), std::vector<std::int32_t>(length, 0));
  arrays.push_back(std::move(a));
  return static_cast<int>(arrays.size()) - 1;
}

VariableStore MemoryVariables::Store() {
  VariableStore store;
  store.frame = frame.data();
  store.globals = globalPointers_.data();
  store.macroParameters = inMacro ? macroParameters.data() : nullptr;
  store.source = this;
  store.errors = &errors;
  return store;
}

std::int32_t MemoryVariables::ReadInput(int number) {
  return InputFunctionValue(number, padCurrent, padPrevious);
}

bool MemoryVariables::Locate(int array, int element, std::int32_t index, ErrorState& errs,
                             std::int32_t*& slot) {
  if (array < 0 || array >= static_cast<int>(arrays.size())) {
    errs.SetError(err::kUnknownArray);
    return false;
  }
  Array& a = arrays[array];
  if (!a.oneDimensional) {
    errs.SetError(err::kArrayVariableNot1D);
    return false;
  }
  if (element < 0 || element >= static_cast<int>(a.elements.size())) {
    errs.SetError(err::kUnknownArrayElement);
    return false;
  }
  if (index < 0 || index >= a.length) {
    errs.SetError(err::kArrayVariableIndexOutOfRange);
    return false;
  }
  slot = &a.elements[element][index];
  return true;
}

bool MemoryVariables::ReadArrayElement(int array, int element, std::int32_t index, std::int32_t& value,
                                       ErrorState& errs) {
  std::int32_t* slot = nullptr;
  if (!Locate(array, element, index, errs, slot)) return false;
  value = *slot;
  return true;
}

bool MemoryVariables::WriteArrayElement(int array, int element, std::int32_t index, std::int32_t value,
                                        ErrorState& errs) {
  std::int32_t* slot = nullptr;
  if (!Locate(array, element, index, errs, slot)) return false;
  if (arrays[array].readOnly) {
    errs.SetError(err::kArrayReadOnly);
    return false;
  }
  *slot = value;
  return true;
}

}  // namespace tarvolin::script
