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
    bool chosen = false;
    options.chosenByUser = &chosen;
    switch (project::resolveResourceFile(*r, context, err, path, options)) {
      case project::ResolveResult::Found:
        return chosen || mustExist || MayWrite(path, err);
      case project::ResolveResult::Cancelled: {
        // The caller decides; it may go on with the resource's own file.
        cancelled = true;
        options.askAllowed = false;
        ErrorState scratch;
        if (project::resolveResourceFile(*r, context, scratch, path, options) != project::ResolveResult::Found)
          path.clear();
        else if (!mustExist && !MayWrite(path, err))
          cancelled = false;
        return false;
      }
      default: return false;
    }
  }

 private:
  // A game's script writes only inside the project's own folders.
  bool MayWrite(const std::string& path, ErrorState& err) const {
    if (project_.mayWrite(path)) return true;
    err.SetError(err::kResourceFile);
    err.SetErrorDetail(script::OutsideProjectText(path));
    return false;
  }

  project::Project& project_;
  Host& host_;
  std::int64_t rangeIndex_ = 0;
};

}  // namespace tarvolin
