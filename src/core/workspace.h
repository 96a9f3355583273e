#pragma once
// Everything the survey window owns, as one value: the tables of every page, the options kept
// with the survey, the file name and the changed state. Process-wide things (language table,
// settings record, WHO table, date conventions) are not here; they are handed down separately.
//
// Fields that stand for controls of the survey window keep the controls' names (`sc_b`,
// `Edit19`, `rd_hh`, `cde1`), so that a reader finds each at once; they hold the controls' text.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/options_page.h"
#include "core/survey_table.h"
#include "core/text_grid.h"
#include "core/variable_view.h"

namespace olvar::core {

// The planning page: sample size fields and the cluster sampling table. The fields start with
// the page's defaults, which a survey file read keeps for the fields it does not carry.
struct PlanningPage {
  std::string survey_name;
  bool cluster_sampling = true;  // "Cluster"; false for "Random"
  // Anthropometric survey: prevalence %, precision %, design effect, household size, children
  // under five %, non-response households %.
  std::string sc_b = "20", sc_c = "5", sc_d = "1.5", sc_e = "5", sc_f = "15", sc_g = "3";
  // Mortality survey: death rate and precision per 10,000 per day, design effect, recall period
  // in days, household size, non-response households %.
  std::string sm_a = "0.5", sm_b = "0.3", sm_c = "1.5", sm_d = "93", sm_e = "5", sm_f = "3";
  std::string Edit19 = "30";  // number of clusters
  // Columns 0 to 2 (unit, population, clusters); row 0 the headings, rows 1 to 4999 the units.
  TextGrid cluster_table{3, 5000};
};

// The causes (`cde1` to `cde7`) and locations (`lde1` to `lde4`) of death.
struct MortalityOptions {
  std::string cde1, cde2, cde3, cde4, cde5, cde6, cde7;
  std::string lde1, lde2, lde3, lde4;
  friend bool operator==(const MortalityOptions&, const MortalityOptions&) = default;
};

// The individual mortality table of a new survey: 20 persons of 8 columns after the household
// columns, and five spare columns for additional variables.
inline constexpr int kNewIndividualColumns = 170;
inline constexpr int kNewIndividualRows = 100;

struct Workspace {
  SurveyTable survey;
  TextGrid variables = new_variable_view();  // the Variable View: one row per Survey column
  bool extra_columns_shown = false;          // MEASURE, CLOTHES, STRATA, WTFACTOR visible
  bool changed = false;                      // unsaved changes (the save button is available)
  std::string file_name;                     // empty for a survey not yet saved

  PlanningPage planning;
  // Standardisation test: rows 2 to 101 hold the measurements.
  TextGrid training_continuous{127, 102};  // columns 1 to 126
  TextGrid training_categorical{22, 102};  // columns 1 to 21
  // Mortality: household level (columns 1 to 11 from row 2) and individual level (row 0 the
  // headings, rows 1 and up the households, 20 persons of 8 columns from column 5).
  TextGrid mortality_households{12, 102};
  TextGrid mortality_individuals{kNewIndividualColumns, kNewIndividualRows};
  std::vector<std::string> mortality_additional_variables;  // headings of columns 165 and up
  MortalityOptions mortality_options;
  std::string rd_hh;  // recall period in days, household level
  // The Options page. The survey file's Options section carries the auto-fill switches, age
  // entry, oedema coding, Kandu offsets, age group and mortality bounds and clothes weight.
  OptionsPage options;
};

// The reset to a new table, run by the new-survey command and before every file read: all cells
// cleared, 100 rows with ten empty columns after WTFACTOR, the standard headers, the Variable View
// defaults, and a first row started with `today` (the date text in the system date order) in
// SURVDATE and "1" in CLUSTER, TEAM, ID and HH. The options, the file name and the changed state
// are left to the command that runs it. Of the planning page the survey name and the units of the
// cluster sampling table are emptied; the other planning fields keep their values. The mortality
// tables are emptied (the household table keeps its heading rows); their labels and the recall
// period stay.
void reset_to_new_table(Workspace& workspace, std::string_view today);

// When the survey window is activated: the headers of columns 1 to 15 are rewritten from the
// standard names, those of 16 to 19 too while they are shown, and column 0 is renumbered.
void refresh_headers_on_activation(Workspace& workspace);

}  // namespace olvar::core
