#include "analysis/parsed_rows.h"

#include <limits>
#include <optional>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "analysis/prevalence_values.h"

namespace olvar::analysis {

namespace {

constexpr float kAbsent = std::numeric_limits<float>::quiet_NaN();

float read_above(std::string_view text, char separator, float above) {
  const std::optional<float> v = core::parse_number(text, separator);
  return v && *v > above ? *v : kAbsent;
}

}  // namespace

ParsedRows parse_rows(const core::TextGrid& table, char sep, unsigned columns) {
  using core::StdVar;
  const auto col = [](StdVar v) { return core::column(v); };
  const std::size_t n = static_cast<std::size_t>(std::max(table.row_count(), 0));
  ParsedRows p;
  p.cluster.assign(n, ParsedRows::kNoCluster);
  p.sex.assign(n, 0);
  p.oedema.assign(n, false);
  for (auto* v : {&p.months, &p.muac, &p.waz, &p.haz, &p.whz}) v->assign(n, kAbsent);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::size_t r = static_cast<std::size_t>(row);
    const std::string_view code = table.cell(col(StdVar::cluster), row);
    if (!code.empty()) p.cluster[r] = static_cast<std::int16_t>(cluster_number(code));
    const std::string_view sex = table.cell(col(StdVar::sex), row);
    p.sex[r] = sex == "m" ? 'm' : sex == "f" ? 'f' : 0;
    p.oedema[r] = table.cell(col(StdVar::edema), row) == "y";
    if (columns & kParseMonths) {
      const std::optional<float> months =
          core::parse_number(table.cell(col(StdVar::months), row), sep);
      if (months) p.months[r] = *months;
    }
    if (columns & kParseMuac) p.muac[r] = read_above(table.cell(col(StdVar::muac), row), sep, 0.0f);
    if (columns & kParseWaz) p.waz[r] = read_above(table.cell(col(StdVar::waz), row), sep, -20.0f);
    if (columns & kParseHaz) p.haz[r] = read_above(table.cell(col(StdVar::haz), row), sep, -20.0f);
    if (columns & kParseWhz) p.whz[r] = read_above(table.cell(col(StdVar::whz), row), sep, -20.0f);
  }
  return p;
}

}  // namespace olvar::analysis
