// The ordered list of one asset family's records: a record's number is its
// position, names are unique and compare ignoring case. Each family's list
// class derives from it and adds its file, its checks and its own edits.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "common/text.h"

namespace tarvolin::project {

// `NameOf` gives a record's name: NameOf{}(record).
template <class Record, class NameOf>
class NamedList {
 public:
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::vector<Record>& items() const { return items_; }

  // Adds at the end; false (nothing added) for an empty or taken name.
  bool add(Record record) {
    const auto& name = NameOf{}(record);
    if (name.empty() || find(name) >= 0) return false;
    items_.push_back(std::move(record));
    return true;
  }
  // Removes by number; false when out of range.
  bool remove(std::size_t index) {
    if (index >= items_.size()) return false;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
  }
  // Number of the record with this whole name (ignoring case), or -1.
  int find(std::string_view name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (equalsIgnoreCase(NameOf{}(items_[i]), name)) return static_cast<int>(i);
    return -1;
  }
  const Record* get(std::size_t index) const { return index < items_.size() ? &items_[index] : nullptr; }
  Record* get(std::size_t index) { return index < items_.size() ? &items_[index] : nullptr; }

 protected:
  std::vector<Record> items_;
};

// The usual name: a `name` member.
struct NameMember {
  template <class Record>
  const auto& operator()(const Record& record) const {
    return record.name;
  }
};

}  // namespace tarvolin::project
