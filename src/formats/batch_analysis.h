#pragma once
// The batch analysis: the caller's companion table ("olvar.txt") with the NCHS and WHO indices,
// their classes and flags appended for the child in the same survey row, written as
// "olvar_zscores.txt". Headless: the desktop program's ANALYSIS mode and `olvar-cli analysis`
// make the same call.
//
//   const std::string out = run_batch_analysis(workspace.survey, read_batch_input(text, name),
//                                              settings, who);

#include <filesystem>
#include <ostream>
#include <string>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "core/workspace.h"
#include "formats/batch_analysis_input.h"
#include "analysis/analysis_table.h"
#include "workspace/app_context.h"

namespace olvar::formats {

struct BatchAnalysisSettings {
  anthro::RowEvaluationSettings evaluation;  // its reference is replaced by each pass
  analysis::AnalysisOptions analysis;         // exclusion mode, flag bounds, row selection
};

// The 33 appended column headings, in order.
inline constexpr const char* kBatchHeadings[33] = {
    "WAZ_NCHS",      "HAZ_NCHS",      "WHZ_NCHS",      "WAZ_WHO",       "HAZ_WHO",
    "WHZ_WHO",       "WAM_NCHS",      "HAM_NCHS",      "WHM_NCHS",      "WAZ_NCHS_c",
    "HAZ_NCHS_c",    "WHZ_NCHS_c",    "WHM_NCHS_c",    "WAZ_WHO_c",     "HAZ_WHO_c",
    "WHZ_WHO_c",     "Flag_WAZ_NCHS", "Flag_HAZ_NCHS", "Flag_WHZ_NCHS", "Flag_WAZ_WHO",
    "Flag_HAZ_WHO",  "Flag_WHZ_WHO",  "AGE_MONTHS",    "MUAC_110",      "MUAC_115",
    "MUAC_125",      "MUACZ",         "MUACZ_c",       "MUACZ_calc",    "MUACZ_calc_c",
    "BMIZ_WHO",      "GAM_WHO__c",    "SAM_WHO_c"};

// What the batch analysis could not keep: caller fields beyond the columns the header names
// have no place in the output.
struct BatchAnalysisNotes {
  int lines_with_fields_beyond_header = 0;
  int first_line_with_fields_beyond_header = 0;  // 1-based; 0 when none
  bool data_lost() const { return lines_with_fields_beyond_header > 0; }
  // English, naming `input`; empty when nothing was lost.
  std::string message(const std::string& input) const;
};

// The text of "olvar_zscores.txt". `survey` is the Survey table as read, every row evaluated
// with the reference of the settings (its z-scores give the Kandu means); it is not changed.
// Every line holds the caller's N columns, the 33 appended ones and two empty ones, each field
// followed by ","; a line of commas only is left out.
std::string run_batch_analysis(const core::SurveyTable& survey, const BatchInputLines& input,
                               const BatchAnalysisSettings& settings,
                               const anthro::WhoReference& who,
                               BatchAnalysisNotes* notes = nullptr);

// The settings as the survey's Options page and the process give them.
BatchAnalysisSettings batch_analysis_settings(const core::Workspace& workspace,
                                              const workspace::AppContext& app);

// Reads the companion file at `input_path` and writes the output for the survey read into
// `workspace` to `out`, line by line. Throws std::runtime_error naming the file when it cannot
// be opened or read, and BatchInputError when its header names no column (before anything is
// written).
BatchAnalysisNotes write_batch_analysis_file(const core::Workspace& workspace,
                                             const workspace::AppContext& app,
                                             const std::filesystem::path& input_path,
                                             const anthro::WhoReference& who, std::ostream& out);

// Day of the height-age search: the first day d from 1 on at which the WHO length/height-for-age
// median of the sex exceeds `height_cm`, or 6571 when none up to 6570 does.
int height_age_day(const anthro::WhoReference& who, bool girls, double height_cm);

}  // namespace olvar::formats
