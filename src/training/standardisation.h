#pragma once
// The standardisation test of continuous measurements: the supervisor and up to 20 enumerators
// measure the same children twice for weight, height and MUAC. Precision is the agreement of an
// observer's own two measurements (technical error of measurement, TEM, and the coefficient of
// reliability R); accuracy is the bias against the supervisor and against the median of all
// observers. The team's inter-observer error is summed up in five summary rows.
//
//   const StandardisationTable table = standardise(grid, Kind::weight, '.');
//   DocumentBuffer buffer(new_report_text(grid, '.'));   // handed to the spreadsheet
//
// Every computation takes the grid with its headings written (training_grid.h), since an
// observer row is labelled with the heading of its group.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/language_table.h"
#include "core/text_grid.h"

namespace olvar::training {

enum class Kind { weight, height, muac };
inline constexpr std::array<Kind, 3> kKinds = {Kind::weight, Kind::height, Kind::muac};

// The column offset of the first measurement of a kind inside an observer group (1, 3, 5).
int first_offset(Kind kind);
std::string_view kind_name(Kind kind);  // "Weight", "Height", "MUAC"
std::string_view kind_unit(Kind kind);  // "kg", "cm", "mm"

enum class Grade { good, acceptable, poor, reject };

// The verdicts, compared in single precision; a value equal to a limit falls in the better
// class. `team` selects the team-level TEM limits of the summary rows. Bias uses |bias|.
Grade tem_grade(Kind kind, double tem, bool team);
Grade r_grade(double r_percent);
Grade bias_grade(Kind kind, double bias);
std::string_view tem_verdict(Grade grade);   // "TEM good" ...
std::string_view r_verdict(Grade grade);     // "R value good" ...
std::string_view bias_verdict(Grade grade);  // "Bias good" ...

// One observer's row. A ratio whose divisor is 0 (a mean or SD of 0) is 0.
struct ObserverRow {
  int group = 0;     // 0 the supervisor, 1 ... 20 the enumerators
  std::string name;  // the heading of the group (row 0 of the grid)
  double mean = 0, sd = 0, max = 0, tem = 0, tem_percent = 0, r = 0;
  double bias_supervisor = 0, bias_median = 0;
  // Cells of the observer's two columns among the children used that are empty or unreadable
  // and so were read as 0: the reason a TEM comes out large.
  int missing = 0;
};

enum class SummaryRow { enum_inter_1st, enum_inter_2nd, inter_enum_sup, total, total_sup };
inline constexpr int kSummaryRows = 5;

struct SummaryValues {
  std::string label;      // "enum inter 1st", ...
  int observers = 0;      // shown as observers "x" children
  bool has_mean = false;  // the TOTAL rows show "-" for mean and SD
  double mean = 0, sd = 0, tem = 0, tem_percent = 0, r = 0;
};

struct StandardisationTable {
  Kind kind = Kind::weight;
  int children = 0;                    // q; 0: no supervisor values, nothing computed
  std::vector<ObserverRow> observers;  // the supervisor first, then in column order
  std::array<SummaryValues, kSummaryRows> summary{};
};

// The statistics of one kind. Values are read with the tolerant parse, an empty or unreadable
// cell counting as 0. The supervisor takes part whenever he has values; an enumerator when his
// first measurement of child 1 is filled.
StandardisationTable standardise(const core::TextGrid& grid, Kind kind, char decimal_separator);

// The whole table of the new report, as handed to the spreadsheet: cells separated by tabs,
// rows by LF, the three kinds and the cut-off table. An observer row holding missing values
// gets one more cell after its verdicts saying how many were read as 0.
std::string new_report_text(const core::TextGrid& grid, char decimal_separator);

// The report of previous program versions (RTF, without the closing brace): sums of squares
// of precision and accuracy with "OK"/"POOR". Values are read with the tolerant parse, so an
// empty cell drives its sum above the error limit and prints "Error".
inline constexpr core::LanguageEntry kPreviousReportTitle{928};
inline constexpr core::LanguageEntry kPreviousReportNotes[] = {{929}, {930}, {931}, {932}};
std::string previous_report_text(const core::TextGrid& grid, const core::LanguageTable& text,
                                 char decimal_separator);
// The same report without its header and title: the sections for weight, height and MUAC and
// the notes, as the results report includes them.
std::string previous_report_sections(const core::TextGrid& grid, const core::LanguageTable& text,
                                     char decimal_separator);

// Replaces each of the supervisor's six cells of children 1 to 100 by the mean of the filled
// cells of the enumerators in that column (fixed format 4, 1), or empties it when their sum is
// not above 0. The question before it is Language entry 1084.
inline constexpr core::LanguageEntry kReplaceSupervisorQuestion{1084};
void replace_supervisor_values(core::TextGrid& grid, char decimal_separator);

}  // namespace olvar::training
