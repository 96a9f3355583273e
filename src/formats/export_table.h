#pragma once
// The export of a saved survey file to the spreadsheet ("Copy Data to Excel"): every child with
// its entered values and, computed afresh for both references, the NCHS and WHO z-scores, the
// NCHS percentages of the median, a flag column per reference, the MUAC-for-age z-score, the
// height-age and the MUAC-for-age z-score at the height-age. The result is tab-separated text,
// one line per child, each ended by a line feed, as the spreadsheet hand-off takes it.
//
//   const ExportSettings settings = export_settings(options, dates);
//   const std::string table = export_survey_file(workspace.file_name,
//                                                kandu_means(workspace.survey, settings),
//                                                settings, who);
//
// The export reads the saved file, not the Survey table on screen (unsaved changes are not in
// it), but through the survey file reader: each variable is found by its name wherever the file
// puts it, and dates come out in the system's date order as the Survey table shows them.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "anthro/who_reference.h"
#include "core/date_conventions.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "analysis/analysis_table.h"

namespace olvar::formats {

// The fifteen computed columns, placed after MUAC (positions 13 to 27 of the exported table).
inline constexpr const char* kExportHeadings[15] = {
    "WAZ-NCHS", "HAZ-NCHS", "WHZ-NCHS", "WAZ-WHO",  "HAZ-WHO",  "WHZ-WHO",   "BMIZ-WHO",
    "WAM-NCHS", "HAM-NCHS", "WHM-NCHS", "Flag-NCHS", "Flag-WHO", "MUACZ_age", "Height_Age-WHO",
    "MUACZ_Ht"};

struct ExportSettings {
  std::string clothes_weight_g = "0";  // the Options page's weight of clothes, as typed
  analysis::AnalysisOptions analysis;   // exclusion mode, its bounds, the decimal separator
  core::DateConventions dates;         // the system's, into which the file's dates are read
};

// The settings as the Options page gives them: clothes weight, exclusion mode and its bounds,
// the age and height selection of the analysis table; the system's date conventions.
ExportSettings export_settings(const core::OptionsPage& options,
                               const core::DateConventions& dates);

// The observed means of WAZ, HAZ and WHZ over the analysis table of `survey` as it stands (the
// z-scores of the reference selected before the export), around which the Kandu window lies.
// The same means serve the NCHS and the WHO flags.
std::array<double, 3> kandu_means(const core::SurveyTable& survey, const ExportSettings& settings);

// The exported table of a Survey table as read from its file: one line per row that holds a
// child. The flag cells rest on the z-scores the same line shows; a child with oedema has its WAZ
// and WHZ flagged (both references) unless the exclusion mode is none.
std::string export_table(const core::SurveyTable& survey, const std::array<double, 3>& means,
                         const ExportSettings& settings, const anthro::WhoReference& who);

// The same for the bytes of a survey file, read as the survey file reader reads them. Throws
// core::SurveyFileError when no line names the variables.
std::string export_table(std::string_view file_bytes, const std::array<double, 3>& means,
                         const ExportSettings& settings, const anthro::WhoReference& who);

// Reads the survey file at `file` and exports it. Throws core::SurveyFileError naming the file
// when it cannot be opened or holds no variable names.
std::string export_survey_file(const std::filesystem::path& file,
                               const std::array<double, 3>& means, const ExportSettings& settings,
                               const anthro::WhoReference& who);

}  // namespace olvar::formats
