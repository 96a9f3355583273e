#include "reports/age_table_values.h"

#include <optional>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::reports {

namespace {

using core::StdVar;

std::optional<double> read(std::string_view text, char separator, double above) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v || !(*v > above)) return std::nullopt;
  return *v;
}

bool member(const AgeGroup& g, double months) {
  return g.lower <= months && months < g.upper + 1.0;
}

}  // namespace

std::vector<AgeGroupValues> age_table_values(const core::TextGrid& table, AgeTableFamily family,
                                             const std::vector<AgeGroup>& groups,
                                             const PrevalenceInputs& inputs) {
  const char sep = inputs.decimal_separator;
  return age_table_of_rows(table, groups, inputs.sex, sep, [&](int row) {
    RowCategories r;
    const bool oedema = table.cell(core::column(StdVar::edema), row) == "y";
    r.oedema = oedema;
    auto z_categories = [&](StdVar column, bool oedema_counts) {
      const auto z = read(table.cell(core::column(column), row), sep, -20.0);
      r.counted = z.has_value() || (oedema_counts && oedema);
      if (z) r.in = {*z < -3.0, *z >= -3.0 && *z < -2.0, *z >= -2.0};
    };
    switch (family) {
      case AgeTableFamily::whz: z_categories(StdVar::whz, true); break;
      case AgeTableFamily::waz: z_categories(StdVar::waz, false); break;
      case AgeTableFamily::haz: z_categories(StdVar::haz, false); break;
      case AgeTableFamily::muac: {
        const auto m = read(table.cell(core::column(StdVar::muac), row), sep, 0.0);
        r.counted = m.has_value() || oedema;
        if (m)
          r.in = {*m < inputs.muac.severe, *m >= inputs.muac.severe && *m < inputs.muac.moderate,
                  *m >= inputs.muac.moderate};
        break;
      }
      case AgeTableFamily::whz_overweight: {
        const auto z = read(table.cell(core::column(StdVar::whz), row), sep, -20.0);
        r.counted = z.has_value() || oedema;
        r.in = {!oedema && z && *z > 2.0, !oedema && z && *z > 3.0, false};
        break;
      }
    }
    return r;
  });
}

std::vector<AgeGroupValues> age_table_of_rows(const core::TextGrid& table,
                                              const std::vector<AgeGroup>& groups, SexSubset sex,
                                              char sep,
                                              const std::function<RowCategories(int row)>& classify) {
  std::vector<AgeGroupValues> out;
  for (const AgeGroup& g : groups) out.push_back({g, 0, {}, {}});
  if (!groups.empty()) out.push_back({{groups.front().lower, groups.back().upper}, 0, {}, {}});
  for (int row = 1; row < table.row_count(); ++row) {
    const std::optional<float> months =
        core::parse_number(table.cell(core::column(StdVar::months), row), sep);
    if (!months) continue;
    if (!in_sex_subset(table.cell(core::column(StdVar::sex), row), sex)) continue;
    const RowCategories k = classify(row);
    if (!k.counted) continue;
    for (AgeGroupValues& g : out) {
      if (!member(g.group, *months)) continue;
      ++g.n;
      for (std::size_t i = 0; i < 3; ++i) g.category[i].count += k.in[i];
      g.oedema.count += k.oedema;
    }
  }
  for (AgeGroupValues& g : out) {
    if (g.n == 0) continue;
    for (CountAndPercent& c : g.category) c.percent = c.count * 100.0 / g.n;
    g.oedema.percent = g.oedema.count * 100.0 / g.n;
  }
  return out;
}

}  // namespace olvar::reports
