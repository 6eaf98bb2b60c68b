// The open project's assets as script operands name them: arrays (the
// built-in memory arrays included) and resources. Families that add assets
// of another kind extend it.
#pragma once

#include "project/project.h"
#include "script/command_family.h"

namespace tarvolin {

class ProjectAssetCatalog final : public script::AssetCatalog {
 public:
  explicit ProjectAssetCatalog(project::Project& project) : project_(project) {}

  int FindAsset(script::AssetKind kind, std::string_view name) const override {
    switch (kind) {
      case script::AssetKind::Array: return project_.arrays().find(name);
      case script::AssetKind::Resource: return project_.resources().find(name);
      default: return -1;
    }
  }
  int AssetCount(script::AssetKind kind) const override {
    switch (kind) {
      case script::AssetKind::Array: return project_.arrays().count();
      case script::AssetKind::Resource: return int(project_.resources().size());
      default: return 0;
    }
  }
  bool IsSystemArray(int array) const override {
    const project::ArrayDef* a = project_.arrays().at(array);
    return a && a->system;
  }
  int FindArrayElement(int array, std::string_view element) const override {
    const project::ArrayDef* a = project_.arrays().at(array);
    return a ? a->findElement(element) : -1;
  }

 private:
  project::Project& project_;
};

}  // namespace tarvolin
