// Writes the example survey demo.as: 30 clusters of about 30 children measured by six teams,
// with a few of the faults real surveys have (missing values, implausible measurements, oedema
// cases), and the planning, training and household mortality pages filled in. The random
// numbers come from a fixed seed, so every build writes the same bytes.
//
//   make_demo_survey OUTPUT.as WHO_TABLE
//
// The z-scores are worked out as the program does on saving, against the WHO 2006 standards.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/date_text.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/workspace.h"

namespace {

using olvar::core::StdVar;

// A small generator of its own (SplitMix64, Steele, Lea and Flood 2014), so that the output
// does not depend on the standard library's distributions, which differ between vendors.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }  // [0, 1)
  int between(int low, int high) {  // low to high inclusive
    return low + static_cast<int>(uniform() * (high - low + 1));
  }
  // Box-Muller transform.
  double normal(double mean, double sd) {
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return mean + sd * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  std::uint64_t state_;
};

// Piecewise linear interpolation through (x, y) points sorted by x.
template <std::size_t N>
double interpolate(const std::array<std::pair<double, double>, N>& points, double x) {
  if (x <= points.front().first) return points.front().second;
  for (std::size_t i = 1; i < N; ++i) {
    if (x <= points[i].first) {
      const auto [x0, y0] = points[i - 1];
      const auto [x1, y1] = points[i];
      return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    }
  }
  return points.back().second;
}

// Rounded medians of the WHO 2006 standards (sexes averaged): length/height for age in months,
// weight for length/height in cm. Close enough for example data; the z-scores come from the
// real table.
constexpr std::array<std::pair<double, double>, 6> kHeightForAge = {
    {{6, 66.5}, {12, 74.5}, {24, 86.4}, {36, 95.6}, {48, 102.9}, {60, 109.6}}};
constexpr std::array<std::pair<double, double>, 6> kWeightForHeight = {
    {{65, 7.2}, {75, 9.6}, {85, 11.9}, {95, 14.2}, {105, 17.0}, {115, 20.3}}};

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

constexpr olvar::core::DateConventions kDates{olvar::core::DateOrder::dmy, '/', '.'};
constexpr int kClusters = 30;
constexpr int kTeams = 6;

void fill_children(olvar::core::Workspace& w, Random& random) {
  auto& table = w.survey;
  const int first_day = *olvar::core::day_number_of({2026, 3, 2});
  int row = 0;
  for (int cluster = 1; cluster <= kClusters; ++cluster) {
    const int team = (cluster - 1) % kTeams + 1;
    // Each team does one cluster a day; the teams work in parallel.
    const int survey_day = first_day + (cluster - 1) / kTeams;
    const int children = random.between(26, 34);
    int household = 0;
    for (int child = 1; child <= children; ++child) {
      ++row;
      if (row >= table.row_count()) table.resize(table.column_count(), table.row_count() + 100);
      if (child == 1 || random.uniform() < 0.6) ++household;
      const double age_months = 6.0 + random.uniform() * 53.9;
      const int birth_day = survey_day - static_cast<int>(age_months * 30.4375);
      const bool girl = random.uniform() < 0.5;
      // The population is a little stunted and wasted, as in the surveys this program serves.
      double height = interpolate(kHeightForAge, age_months) * (1.0 + 0.037 * random.normal(-1.0, 1.0));
      double weight =
          interpolate(kWeightForHeight, height) * (1.0 + 0.085 * random.normal(-0.6, 1.0));
      if (girl) {
        height -= 0.7;
        weight -= 0.2;
      }
      const bool oedema = random.uniform() < 0.007;

      table.set_cell(StdVar::survdate, row, olvar::core::date_text(survey_day, kDates));
      table.set_cell(StdVar::cluster, row, std::to_string(cluster));
      table.set_cell(StdVar::team, row, std::to_string(team));
      table.set_cell(StdVar::id, row, std::to_string(child));
      table.set_cell(StdVar::hh, row, std::to_string(household));
      table.set_cell(StdVar::sex, row, girl ? "f" : "m");
      // About one child in eight has no known date of birth: the age is estimated in months.
      if (random.uniform() < 0.125) {
        table.set_cell(StdVar::months, row, std::to_string(static_cast<int>(age_months)));
      } else {
        table.set_cell(StdVar::birthdat, row, olvar::core::date_text(birth_day, kDates));
      }
      table.set_cell(StdVar::weight, row, fixed(weight, 1));
      table.set_cell(StdVar::height, row, fixed(height, 1));
      table.set_cell(StdVar::edema, row, oedema ? "y" : "n");
      table.set_cell(StdVar::muac, row,
                     std::to_string(static_cast<int>(std::lround(
                         interpolate(std::array<std::pair<double, double>, 2>{{{6, 138}, {60, 152}}},
                                     age_months) +
                         random.normal(-4.0, 10.0)))));
      table.set_cell(StdVar::measure, row, age_months < 24 ? "l" : "h");

      // Faults of the kind every survey has.
      const double fault = random.uniform();
      if (fault < 0.012) {
        table.set_cell(StdVar::weight, row, "");
      } else if (fault < 0.022) {
        table.set_cell(StdVar::height, row, "");
      } else if (fault < 0.030) {
        table.set_cell(StdVar::muac, row, "");
      } else if (fault < 0.036) {
        table.set_cell(StdVar::height, row, fixed(height + 10.0, 1));  // a ten mistyped
      } else if (fault < 0.040) {
        table.set_cell(StdVar::weight, row, fixed(weight / 10.0, 1));  // a misplaced decimal
      } else if (fault < 0.043) {
        table.set_cell(StdVar::sex, row, "");
      }
    }
  }
}

void fill_planning(olvar::core::Workspace& w) {
  auto& p = w.planning;
  p.survey_name = "Demo district nutrition and mortality survey, March 2026";
  p.cluster_sampling = true;
  p.sc_b = "15";
  p.sc_c = "3.5";
  p.sc_d = "1.5";
  p.sc_e = "6";
  p.sc_f = "17";
  p.sc_g = "3";
  p.sm_a = "0.5";
  p.sm_b = "0.3";
  p.sm_c = "1.5";
  p.sm_d = "90";
  p.sm_e = "6";
  p.sm_f = "3";
  p.Edit19 = std::to_string(kClusters);
  p.cluster_table.resize(3, kClusters + 2);
  for (int k = 1; k <= kClusters; ++k) {
    p.cluster_table.set_cell(0, k, "Village " + std::to_string(k));
    p.cluster_table.set_cell(1, k, std::to_string(800 + 97 * ((k * 37) % 23)));
    p.cluster_table.set_cell(2, k, std::to_string(k));
  }
}

// The standardisation test: the supervisor and five enumerators measure ten children twice.
void fill_training(olvar::core::Workspace& w, Random& random) {
  for (int child = 0; child < 10; ++child) {
    const double weight = random.normal(11.5, 2.0);
    const double height = random.normal(85.0, 8.0);
    const double muac = random.normal(140.0, 9.0);
    for (int observer = 0; observer <= 5; ++observer) {
      const double error = observer == 0 ? 0.5 : 1.0 + 0.4 * observer;  // the supervisor is best
      const int first = 6 * observer + 1;
      const int row = child + 2;
      for (int repeat = 0; repeat < 2; ++repeat) {
        w.training_continuous.set_cell(first + repeat, row,
                                       fixed(weight + random.normal(0, 0.05 * error), 1));
        w.training_continuous.set_cell(first + 2 + repeat, row,
                                       fixed(height + random.normal(0, 0.3 * error), 1));
        w.training_continuous.set_cell(
            first + 4 + repeat, row,
            std::to_string(static_cast<int>(std::lround(muac + random.normal(0, 1.5 * error)))));
      }
    }
  }
}

// Household-level mortality: ten households in each cluster.
void fill_mortality(olvar::core::Workspace& w, Random& random) {
  auto& table = w.mortality_households;
  const int households = kClusters * 10;
  table.resize(table.column_count(), households + 2 + 100);
  for (int k = 0; k < households; ++k) {
    const int row = k + 2;
    const int members = random.between(2, 11);
    const int under_five = std::min(members - 1, random.between(0, 3));
    const int joined = random.uniform() < 0.15 ? 1 : 0;
    const int left = random.uniform() < 0.12 ? 1 : 0;
    const int births = random.uniform() < 0.1 ? 1 : 0;
    const int deaths = random.uniform() < 0.04 ? 1 : 0;
    const int deaths_under_five = deaths == 1 && random.uniform() < 0.4 ? 1 : 0;
    const std::array<int, 11> values = {k % 10 + 1, k / 10 + 1, members, under_five, joined, 0,
                                        left,       0,          births,  deaths,     deaths_under_five};
    table.set_cell(0, row, std::to_string(k + 1));
    for (int column = 1; column <= 11; ++column) {
      table.set_cell(column, row, std::to_string(values[column - 1]));
    }
  }
  w.rd_hh = "90";
  w.mortality_options.cde1 = "Diarrhoea";
  w.mortality_options.cde2 = "Fever/malaria";
  w.mortality_options.cde3 = "Respiratory infection";
  w.mortality_options.cde4 = "Measles";
  w.mortality_options.cde5 = "Injury";
  w.mortality_options.cde6 = "Other";
  w.mortality_options.cde7 = "Unknown";
  w.mortality_options.lde1 = "In this place";
  w.mortality_options.lde2 = "During migration";
  w.mortality_options.lde3 = "In a health facility";
  w.mortality_options.lde4 = "Elsewhere";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_demo_survey OUTPUT.as WHO_TABLE\n";
    return 2;
  }
  try {
    const std::filesystem::path output = argv[1];
    const olvar::anthro::WhoReference who = olvar::anthro::WhoReference::load(argv[2]);
    if (!who.found()) throw std::runtime_error(std::string("missing ") + argv[2]);

    Random random(20260302);
    olvar::core::Workspace w;
    olvar::core::reset_to_new_table(w, "");
    fill_children(w, random);
    fill_planning(w);
    fill_training(w, random);
    fill_mortality(w, random);
    w.survey.renumber_rows();

    olvar::anthro::RowEvaluationSettings settings;
    settings.conventions = kDates;
    settings.current_year = 2026;
    settings.extra_columns_shown = true;  // MEASURE is filled in
    olvar::anthro::evaluate_all_rows(w.survey, settings, who);

    std::filesystem::create_directories(output.parent_path());
    const std::string bytes = olvar::core::survey_file_bytes(w, kDates);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + output.string());
  } catch (const std::exception& e) {
    std::cerr << "make_demo_survey: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
