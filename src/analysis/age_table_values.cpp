#include "analysis/age_table_values.h"

#include <optional>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::analysis {

namespace {

using core::StdVar;

bool member(const AgeGroup& g, double months) {
  return g.lower <= months && months < g.upper + 1.0;
}

}  // namespace

std::vector<AgeGroupValues> age_table_values(const core::TextGrid& table, AgeTableFamily family,
                                             const std::vector<AgeGroup>& groups,
                                             const PrevalenceInputs& inputs) {
  unsigned columns = kParseMonths;
  switch (family) {
    case AgeTableFamily::whz:
    case AgeTableFamily::whz_overweight:
      columns |= kParseWhz;
      break;
    case AgeTableFamily::waz:
      columns |= kParseWaz;
      break;
    case AgeTableFamily::haz:
      columns |= kParseHaz;
      break;
    case AgeTableFamily::muac:
      columns |= kParseMuac;
      break;
  }
  return age_table_values(parse_rows(table, inputs.decimal_separator, columns), family, groups,
                          inputs);
}

std::vector<AgeGroupValues> age_table_values(const ParsedRows& p, AgeTableFamily family,
                                             const std::vector<AgeGroup>& groups,
                                             const PrevalenceInputs& inputs) {
  return age_table_of_rows(p, groups, inputs.sex, [&](int row) {
    const std::size_t r = static_cast<std::size_t>(row);
    RowCategories k;
    const bool oedema = p.oedema[r];
    k.oedema = oedema;
    auto z_categories = [&](float z, bool oedema_counts) {
      const bool has = ParsedRows::present(z);
      k.counted = has || (oedema_counts && oedema);
      if (has) k.in = {z < -3.0f, z >= -3.0f && z < -2.0f, z >= -2.0f};
    };
    switch (family) {
      case AgeTableFamily::whz:
        z_categories(p.whz[r], true);
        break;
      case AgeTableFamily::waz:
        z_categories(p.waz[r], false);
        break;
      case AgeTableFamily::haz:
        z_categories(p.haz[r], false);
        break;
      case AgeTableFamily::muac: {
        const bool has = ParsedRows::present(p.muac[r]);
        const double m = p.muac[r];
        k.counted = has || oedema;
        if (has)
          k.in = {m < inputs.muac.severe, m >= inputs.muac.severe && m < inputs.muac.moderate,
                  m >= inputs.muac.moderate};
        break;
      }
      case AgeTableFamily::whz_overweight: {
        const float z = p.whz[r];
        const bool has = ParsedRows::present(z);
        k.counted = has || oedema;
        k.in = {!oedema && has && z > 2.0f, !oedema && has && z > 3.0f, false};
        break;
      }
    }
    return k;
  });
}

std::vector<AgeGroupValues> age_table_of_rows(
    const core::TextGrid& table, const std::vector<AgeGroup>& groups, SexSubset sex, char sep,
    const std::function<RowCategories(int row)>& classify) {
  return age_table_of_rows(parse_rows(table, sep, kParseMonths), groups, sex, classify);
}

std::vector<AgeGroupValues> age_table_of_rows(
    const ParsedRows& p, const std::vector<AgeGroup>& groups, SexSubset sex,
    const std::function<RowCategories(int row)>& classify) {
  std::vector<AgeGroupValues> out;
  for (const AgeGroup& g : groups) out.push_back({g, 0, {}, {}});
  if (!groups.empty()) out.push_back({{groups.front().lower, groups.back().upper}, 0, {}, {}});
  for (int row = 1; row < p.row_count(); ++row) {
    const std::size_t r = static_cast<std::size_t>(row);
    const float months = p.months[r];
    if (!ParsedRows::present(months)) continue;
    if (sex == SexSubset::boys && p.sex[r] != 'm') continue;
    if (sex == SexSubset::girls && p.sex[r] != 'f') continue;
    const RowCategories k = classify(row);
    if (!k.counted) continue;
    for (AgeGroupValues& g : out) {
      if (!member(g.group, months)) continue;
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

}  // namespace olvar::analysis
