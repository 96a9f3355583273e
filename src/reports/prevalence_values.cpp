#include "reports/prevalence_values.h"

#include <cmath>
#include <optional>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::reports {

namespace {

using core::StdVar;

constexpr int kLargestCluster = 999;

// A z-score at or below -20 is a placeholder for "not computed", never a child's value.
std::optional<double> present_z(std::string_view text, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v || !(*v > -20.0f)) return std::nullopt;
  return *v;
}

// A MUAC is measured only when it reads above 0: an empty cell or 0 means "not measured".
std::optional<double> present_muac(std::string_view text, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v || !(*v > 0.0f)) return std::nullopt;
  return *v;
}

struct Classified {
  bool counted = false;  // in n
  bool a = false, b = false, c = false;
  bool oedema = false;
};

Classified classify(const core::TextGrid& t, int row, PrevalenceFamily family,
                    const PrevalenceInputs& in) {
  const char sep = in.decimal_separator;
  const bool oedema = t.cell(core::column(StdVar::edema), row) == "y";
  Classified r;
  auto z_family = [&](StdVar column) {
    const auto z = present_z(t.cell(core::column(column), row), sep);
    if (!z) return;
    r.counted = true;
    r.a = *z < -2.0;
    r.b = *z >= -3.0 && *z < -2.0;
    r.c = *z < -3.0;
  };
  switch (family) {
    case PrevalenceFamily::waz: z_family(StdVar::waz); return r;
    case PrevalenceFamily::haz: z_family(StdVar::haz); return r;
    case PrevalenceFamily::whz_wasting: {
      const auto z = present_z(t.cell(core::column(StdVar::whz), row), sep);
      r.counted = z.has_value() || oedema;
      r.oedema = oedema;
      r.a = oedema || (z && *z < -2.0);
      r.b = !oedema && z && *z >= -3.0 && *z < -2.0;
      r.c = oedema || (z && *z < -3.0);
      return r;
    }
    case PrevalenceFamily::whz_overweight: {
      const auto z = present_z(t.cell(core::column(StdVar::whz), row), sep);
      r.counted = z.has_value() || oedema;
      r.oedema = oedema;
      r.a = !oedema && z && *z > 2.0;
      r.b = !oedema && z && *z > 3.0;
      return r;
    }
    case PrevalenceFamily::muac: {
      const auto m = present_muac(t.cell(core::column(StdVar::muac), row), sep);
      r.counted = m.has_value() || oedema;
      r.oedema = oedema;
      r.a = oedema || (m && *m < in.muac.moderate);
      r.b = !oedema && m && *m >= in.muac.severe && *m < in.muac.moderate;
      r.c = oedema || (m && *m < in.muac.severe);
      return r;
    }
    case PrevalenceFamily::muac_or_whz: {
      const auto m = present_muac(t.cell(core::column(StdVar::muac), row), sep);
      const auto z = present_z(t.cell(core::column(StdVar::whz), row), sep);
      r.counted = m.has_value() || z.has_value() || oedema;
      r.oedema = oedema;
      r.a = oedema || (m && *m < in.muac.moderate) || (z && *z < -2.0);
      r.c = oedema || (m && *m < in.muac.severe) || (z && *z < -3.0);
      r.b = r.a && !r.c;
      return r;
    }
  }
  return r;
}

}  // namespace

bool in_sex_subset(std::string_view sex, SexSubset subset) {
  switch (subset) {
    case SexSubset::all: return true;
    case SexSubset::boys: return sex == "m";
    case SexSubset::girls: return sex == "f";
  }
  return false;
}

int cluster_number(std::string_view text) {
  const std::optional<float> v = core::parse_number(text, '.');
  if (!v || *v != std::floor(*v) || *v < 1.0f || *v > static_cast<float>(kLargestCluster))
    return 0;
  return static_cast<int>(*v);
}

PrevalenceValues prevalence_values(const core::TextGrid& table, PrevalenceFamily family,
                                   const PrevalenceInputs& inputs) {
  PrevalenceValues v;
  std::vector<stats::ClusterRecord> records(kLargestCluster + 1);
  const int cluster_column = core::column(StdVar::cluster);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view code = table.cell(cluster_column, row);
    if (code.empty()) continue;
    if (!in_sex_subset(table.cell(core::column(StdVar::sex), row), inputs.sex)) continue;
    const Classified k = classify(table, row, family, inputs);
    if (!k.counted) continue;
    const int cluster = cluster_number(code);
    if (cluster == 0) {
      ++v.rows_with_unusable_cluster;
      continue;
    }
    v.clusters = std::max(v.clusters, cluster);
    stats::ClusterRecord& r = records[static_cast<std::size_t>(cluster)];
    r.m += 1.0;
    r.a += k.a ? 1.0 : 0.0;
    r.b += k.b ? 1.0 : 0.0;
    r.c += k.c ? 1.0 : 0.0;
    ++v.n;
    v.a.count += k.a;
    v.b.count += k.b;
    v.c.count += k.c;
    v.oedema += k.oedema;
  }
  records.erase(records.begin());  // cluster numbers start at 1
  records.resize(static_cast<std::size_t>(v.clusters));
  v.estimate = stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry, inputs.planning);
  if (v.n > 0) {
    const double n = v.n;
    v.a.percent = v.a.count / n * 100.0;
    v.b.percent = v.b.count / n * 100.0;
    v.c.percent = v.c.count / n * 100.0;
    v.oedema_percent = v.oedema / n * 100.0;
  }
  v.a.interval = v.estimate.a;
  v.b.interval = v.estimate.b;
  v.c.interval = v.estimate.c;
  return v;
}

}  // namespace olvar::reports
