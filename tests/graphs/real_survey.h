#pragma once
// A real survey for the graph tests: the mwana survey of the shared data (1191 children of two
// districts, 58 clusters), read into a Survey table and evaluated with the WHO standards.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/workspace.h"
#include "support/test_paths.h"

namespace olvar::graphs::test {

// Splits a line of the CSV (quoted texts without commas inside).
inline std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '"' && c != '\r') {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

inline core::Workspace mwana_survey(const anthro::WhoReference& who) {
  std::ifstream in(olvar::test::survey_data_path("anthro_mwana_anthro01.csv"), std::ios::binary);
  std::string line;
  std::getline(in, line);  // area, dos, cluster, team, sex, dob, age, weight, height, edema, muac
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line))
    if (!line.empty()) rows.push_back(csv_fields(line));
  core::Workspace w;
  core::reset_to_new_table(w, "");
  w.file_name = "mwana.as";
  w.survey.resize(w.survey.column_count(), static_cast<int>(rows.size()) + 101);
  using core::StdVar;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::string>& f = rows[i];
    const int row = static_cast<int>(i) + 1;
    const std::string& d = f[1];
    w.survey.set_cell(
        StdVar::survdate, row,
        d.size() == 10 ? d.substr(8, 2) + "." + d.substr(5, 2) + "." + d.substr(0, 4) : "");
    // Cluster numbers repeat between the districts: districts E and W become 100s and 200s.
    const int cluster = std::stoi(f[2]) + (f[0].back() == 'E' ? 100 : 200);
    w.survey.set_cell(StdVar::cluster, row, std::to_string(cluster));
    w.survey.set_cell(StdVar::team, row, f[3]);
    w.survey.set_cell(StdVar::id, row, std::to_string(row));
    w.survey.set_cell(StdVar::sex, row, f[4]);
    w.survey.set_cell(StdVar::months, row, f[6]);
    w.survey.set_cell(StdVar::weight, row, f[7]);
    w.survey.set_cell(StdVar::height, row, f[8]);
    w.survey.set_cell(StdVar::edema, row, f[9]);
    w.survey.set_cell(StdVar::muac, row, f[10]);
  }
  w.survey.renumber_rows();
  anthro::RowEvaluationSettings settings;
  settings.current_year = 2026;
  anthro::evaluate_all_rows(w.survey, settings, who);
  return w;
}

}  // namespace olvar::graphs::test
