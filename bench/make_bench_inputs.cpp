// Writes the inputs the process benchmark (process_bench.sh) times the whole commands on, from
// the example survey, so that every machine measures the same files:
//   survey_65534.as     the largest survey the table holds: the example survey's children
//                       repeated to 65,534 rows, in 60 clusters measured by 10 teams
//   survey_36000.as     36,000 children in 60 clusters (the results report)
//   children_1000000.csv, children_200000.csv
//                       the example survey's children as the z-score batch reads them
//
//   olvar_make_bench_inputs EXAMPLE.as OUTPUT_FOLDER

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/survey_file.h"
#include "core/text_conversions.h"

namespace {

using olvar::core::StdVar;

// The example survey's dates are day first with slashes; the copies keep them.
constexpr olvar::core::DateConventions kDates{olvar::core::DateOrder::dmy, '/', '.'};

int children_in(const olvar::core::SurveyTable& table) {
  int last = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!table.cell(StdVar::sex, row).empty() || !table.cell(StdVar::weight, row).empty()) {
      last = row;
    }
  }
  return last;
}

// `children` rows taken in turn from `example`, numbered again, in `clusters` clusters of
// consecutive rows; cluster c is measured by team (c - 1) % 10 + 1.
olvar::core::Workspace repeated_survey(const olvar::core::Workspace& example, int children,
                                       int clusters) {
  olvar::core::Workspace w = example;
  const olvar::core::SurveyTable& from = example.survey;
  const int source_rows = children_in(from);
  olvar::core::SurveyTable& to = w.survey;
  to.resize(from.column_count(), std::min(children + 1, olvar::core::kMaxRows));
  for (int row = 1; row <= children; ++row) {
    const int source = (row - 1) % source_rows + 1;
    for (int column = 1; column < from.column_count(); ++column) {
      to.set_cell(column, row, from.cell(column, source));
    }
    const int cluster = static_cast<int>(static_cast<long long>(row - 1) * clusters / children) + 1;
    to.set_cell(StdVar::cluster, row, std::to_string(cluster));
    to.set_cell(StdVar::team, row, std::to_string((cluster - 1) % 10 + 1));
    to.set_cell(StdVar::id, row, std::to_string(row));
    to.set_cell(StdVar::hh, row, std::to_string((row + 1) / 2));
  }
  to.renumber_rows();
  return w;
}

std::string children_csv(const olvar::core::SurveyTable& table, long long rows) {
  const int source_rows = children_in(table);
  std::string out = "id,sex,age_days,weight_kg,height_cm,measure,oedema,muac_mm\n";
  out.reserve(static_cast<std::size_t>(rows) * 40);
  for (long long k = 0; k < rows; ++k) {
    const int row = static_cast<int>(k % source_rows) + 1;
    std::string age;
    if (const auto months = olvar::core::parse_standard(
            olvar::core::trim_spaces(table.cell(StdVar::months, row)), '.')) {
      age = std::to_string(std::lround(*months * 30.4375));
    }
    out += std::to_string(k + 1);
    for (std::string_view field :
         {table.cell(StdVar::sex, row), std::string_view(age), table.cell(StdVar::weight, row),
          table.cell(StdVar::height, row), table.cell(StdVar::measure, row),
          table.cell(StdVar::edema, row), table.cell(StdVar::muac, row)}) {
      out += ',';
      out += olvar::core::trim_spaces(field);
    }
    out += '\n';
  }
  return out;
}

void write(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  std::cout << file.string() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: olvar_make_bench_inputs EXAMPLE.as OUTPUT_FOLDER\n";
    return 1;
  }
  try {
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    olvar::core::SurveyReadContext context;
    context.dates = kDates;
    const olvar::core::Workspace example =
        olvar::core::DateiLesen(argv[1], olvar::core::Workspace{}, context).workspace;
    write(folder / "survey_65534.as",
          olvar::core::survey_file_bytes(
              repeated_survey(example, olvar::core::kMaxRows - 1, 60), kDates));
    write(folder / "survey_36000.as",
          olvar::core::survey_file_bytes(repeated_survey(example, 36000, 60), kDates));
    write(folder / "children_1000000.csv", children_csv(example.survey, 1000000));
    write(folder / "children_200000.csv", children_csv(example.survey, 200000));
  } catch (const std::exception& e) {
    std::cerr << "olvar_make_bench_inputs: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
