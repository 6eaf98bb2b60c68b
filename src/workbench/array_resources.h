// The files behind resources for the array data commands (Array1DSave,
// Array1DLoad, Array2DSave, Array2DLoad), resolved in the open project.
#pragma once

#include <cstdint>
#include <string>

#include "common/host.h"
#include "project/project.h"
#include "project/resource_ops.h"
#include "commands/exec_arrays.h"

namespace tarvolin {

class ProjectResourceFiles final : public commands::ResourceFiles {
 public:
  ProjectResourceFiles(project::Project& project, Host& host) : project_(project), host_(host) {}

  // The range index resource lookups use (ResourceSetIndex).
  void setRangeIndex(std::int64_t index) { rangeIndex_ = index; }

  int FindResource(std::string_view name) const override { return project_.resources().find(name); }

  bool ResolveFile(int resource, bool mustExist, std::string& path, bool& cancelled,
                   ErrorState& err) override {
    const project::Resource* r = resource >= 0 ? project_.resources().get(std::size_t(resource)) : nullptr;
    if (!r) {
      err.SetError(err::kResourceIndexOutOfRange);
      return false;
    }
    const project::ResourceContext context = project::resourceContextOf(project_, rangeIndex_, &host_);
    project::ResolveOptions options;
    options.forSaving = !mustExist;
    options.mustExist = mustExist;
    options.reportCancel = true;
    switch (project::resolveResourceFile(*r, context, err, path, options)) {
      case project::ResolveResult::Found: return true;
      case project::ResolveResult::Cancelled: {
        // The caller decides; it may go on with the resource's own file.
        cancelled = true;
        options.askAllowed = false;
        ErrorState scratch;
        if (project::resolveResourceFile(*r, context, scratch, path, options) != project::ResolveResult::Found)
          path.clear();
        return false;
      }
      default: return false;
    }
  }

 private:
  project::Project& project_;
  Host& host_;
  std::int64_t rangeIndex_ = 0;
};

}  // namespace tarvolin
