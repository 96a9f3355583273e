#pragma once
// The plausibility check report: judges the quality of an anthropometric survey before its
// results are published. One RTF document opens with a summary of ten scored criteria and an
// overall grade; the evidence behind each criterion follows (duplicates, missing and
// out-of-range values, flagged z-scores, age and sex distributions, digit preference, shape of
// the z-score distributions, clustering of cases, SD over the day, a breakdown per team).
//
// The check always uses the WHO 2006 standards and works on a copy of the survey: the caller's
// workspace (reference, z-scores, row order) is never touched, and a saved copy "noname.as" is
// left in the writable folder as the survey stood when the check ran.
//
//   const PlausibilityReport report = Plausibility(workspace, context);
//   WriteReportDocument(report.document, settings, folders, services);
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/options_page.h"
#include "core/workspace.h"
#include "document/document_buffer.h"
#include "document/office_hand_off.h"
#include "reports/plausibility_values.h"

namespace olvar::reports {

// The section sign (Windows-1252). A survey text that holds it is written as its RTF hex escape,
// so the byte stands in the document only where a Language text has it.
inline constexpr char kCriterionMarker = '\xA7';

struct PlausibilityReport {
  document::DocumentBuffer document;  // the finished RTF text without the closing brace
  PlausibilityValues values;          // every figure the document shows
  std::array<CriterionScore, kCriterionCount> criteria;
  int total = 0;
  int grade_entry = 1159;  // Language entry of the verbal grade
};

// `Plausibility`: builds the whole report for the survey: its values (plausibility_values),
// then the document laid out from them. Throws core::SurveyFileError when the copy "noname.as"
// cannot be written (nothing else is done then).
PlausibilityReport Plausibility(const core::Workspace& workspace,
                                const PlausibilityContext& context);

// The RTF document of values already computed, in the Language table's texts.
document::DocumentBuffer plausibility_document(const PlausibilityValues& values,
                                               const PlausibilityContext& context);

// Two data rows whose cells (columns 1 and up, leading blanks of the first ignored) are equal
// and not all empty; first < second. Sorted by first, then second.
using DuplicatePair = std::pair<int, int>;
// Found by grouping equal rows through a hash, so the search is linear in the number of rows.
std::vector<DuplicatePair> find_duplicate_rows(const core::TextGrid& table, int last_row);
// The same rows as groups of equal rows (each in row order, sorted by first row): the report
// names a group of more than kLargestDuplicateGroupAsPairs rows on one line, since its pairs
// grow with the square of its size.
std::vector<std::vector<int>> find_duplicate_groups(const core::TextGrid& table, int last_row);
inline constexpr std::size_t kLargestDuplicateGroupAsPairs = 4;

// The Options page the report reads: the page as the settings record gives it, with the
// options the survey file carries (age groups, Kandu offsets, oedema coding, clothes weight)
// taken from the survey, as opening the file sets the page.
core::OptionsPage report_options(const core::SettingsRecord& settings,
                                 const core::Workspace& workspace, char decimal_separator);

// The command-line mode word PLAUSIBILITY of the desktop program: the report is built for the
// survey just read, written as a numbered document and handed to the word processor. The
// caller ends the program afterwards; no window shows the survey.
//   const workspace::WindowMode mode =
//       workspace::window_mode_at_activation(app.command_line.mode_word,
//       /*first_activation=*/true);
//   if (mode.action == workspace::ModeAction::plausibility_report_then_exit) {
//     run_plausibility_mode(workspace_just_read, context, settings, folders, services);
//     return 0;  // errors (core::SurveyFileError, HandOffError) are shown by the caller
//   }
document::HandOffResult run_plausibility_mode(const core::Workspace& workspace,
                                              const PlausibilityContext& context,
                                              const document::OutputSettings& settings,
                                              const document::OutputFolders& folders,
                                              document::HandOffServices& services);

}  // namespace olvar::reports
