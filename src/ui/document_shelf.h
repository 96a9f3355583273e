#pragma once
// What the survey window tells a page or window that hands documents to the office program: the
// name each document gets (from the open survey, its kind and today's date) and where to report
// a document once written, so that the status bar says where it went and Files > "Recent
// reports" can open it again. A page without a shelf (a test's) writes numbered files as before.

#include <functional>
#include <string_view>

#include "document/office_hand_off.h"

namespace olvar::ui {

struct DocumentShelf {
  std::function<document::DocumentNaming(std::string_view kind)> naming;
  std::function<void(const document::HandOffResult&)> handed_off;

  void name(document::OutputFolders& folders, std::string_view kind) const {
    if (naming) folders.naming = naming(kind);
  }
  void tell(const document::HandOffResult& result) const {
    if (handed_off) handed_off(result);
  }
};

}  // namespace olvar::ui
