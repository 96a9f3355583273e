#pragma once
// Merging surveys: the children of several survey files, and their household mortality rows, in
// one survey. Variables are matched by name; a variable one file lacks stays empty for its
// children. Other sections (planning, training, individual mortality) are not merged; the
// planning page, options and Variable View are the first survey's.

#include <stdexcept>
#include <string>
#include <vector>

#include "core/workspace.h"

namespace olvar::formats {

class MergeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The surveys, each as read, merged in list order: the first survey's options, planning page and
// Variable View, its children followed by those of the others; each variable a later survey
// adds is a new column (with that survey's Variable View row). Throws MergeError, merging
// nothing, when the rows, households or variables do not fit in one survey file (it would cut
// them on reading) or the list is empty.
core::Workspace merge_surveys(const std::vector<core::Workspace>& surveys);

// What of `survey` a merge leaves out, as the user is told it ("the individual mortality
// data", "the training measurements"); empty when the merge keeps everything it holds.
std::vector<std::string> left_out_by_merge(const core::Workspace& survey);

}  // namespace olvar::formats
