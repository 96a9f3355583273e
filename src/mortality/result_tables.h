#pragma once
// The result grids of the Death Rates page as text grids with their headings in row 0, and the
// tab-separated transfer of the individual results to the spreadsheet program.

#include <string>

#include "core/text_grid.h"
#include "mortality/death_rates.h"

namespace olvar::mortality {

// "Crude Death Rate (95% CI)" and "Design Effect" per line: Overall, under five, Sex, Male,
// Female, Years, one line per age group.
core::TextGrid rates_grid(const IndividualResults& results);
// Population, males, females, joined, left, born, died per cluster (`by_cluster`) or per age
// group, with a "Sum:" row at the end.
core::TextGrid cluster_grid(const IndividualResults& results);
core::TextGrid age_group_grid(const IndividualResults& results);
// Causes and locations of death with their percentages of all deaths.
core::TextGrid causes_grid(const IndividualResults& results, const core::TextGrid& labels);
// Headings of the two data tables and of the household results table (rows 0 and 1).
void write_household_headings(core::TextGrid& households);
void write_household_results_headings(core::TextGrid& results_table);

// The individual results as tab-separated text for the spreadsheet, labels preceded by an
// apostrophe so that "0-4" stays text. An Age cell that is neither empty nor a whole number
// stops it: the text is empty and `error` names the row and the person.
struct Transfer {
  std::string text;
  std::string error;
};
// The labels of the transfer, by Language entry; the defaults are the English texts.
struct TransferTexts {
  std::string title = "Mortality survey results";                         // 1170
  std::string level = "Individual level";                                 // 1181
  std::string indicators = "Demographic indicators";                      // 1171
  std::string households = "Households";                                  // 1172
  std::string with_children = "Households with children under five";     // 1173
  std::string household_size = "Average household size";                  // 25
  std::string population = "Population (person-equivalents)";             // 1174
  std::string clusters = "Clusters";                                      // 951
  std::string children = "Children under five (%)";                       // 1175
  std::string birth_rate = "Birth rate (per 10,000 per day)";             // 1176
  std::string in_migration = "In-migration rate (per 10,000 per day)";    // 1177
  std::string out_migration = "Out-migration rate (per 10,000 per day)";  // 1178
  std::string death_rates = "Death rates (per 10,000 per day)";           // 840
  std::string tables = "Population and events";                           // 1179
  std::string age_table = "Table for age groups";
  std::string cluster_table = "Table for clusters";
};
Transfer individual_transfer_text(const core::TextGrid& individuals,
                                  const IndividualResults& results,
                                  const core::TextGrid& cause_labels, int recall_days,
                                  const TransferTexts& texts = {});

// The cause and location labels as a one-column grid: rows 0 to 6 the causes, 7 to 10 the
// locations.
core::TextGrid cause_labels(const std::string* const (&labels)[11]);

}  // namespace olvar::mortality
