#include "analysis/prevalence_values.h"

#include <cmath>
#include <optional>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "analysis/parsed_rows.h"

namespace olvar::analysis {

namespace {

using core::StdVar;

constexpr int kLargestCluster = 999;

bool present(float v) { return ParsedRows::present(v); }

RowCase classify(const ParsedRows& p, std::size_t row, PrevalenceFamily family,
                 const PrevalenceInputs& in) {
  const bool oedema = p.oedema[row];
  RowCase r;
  auto z_family = [&](float z) {
    if (!present(z)) return;
    r.counted = true;
    r.a = z < -2.0f;
    r.b = z >= -3.0f && z < -2.0f;
    r.c = z < -3.0f;
  };
  switch (family) {
    case PrevalenceFamily::waz:
      z_family(p.waz[row]);
      return r;
    case PrevalenceFamily::haz:
      z_family(p.haz[row]);
      return r;
    case PrevalenceFamily::whz_wasting: {
      const float z = p.whz[row];
      const bool has = present(z);
      r.counted = has || oedema;
      r.oedema = oedema;
      r.a = oedema || (has && z < -2.0f);
      r.b = !oedema && has && z >= -3.0f && z < -2.0f;
      r.c = oedema || (has && z < -3.0f);
      return r;
    }
    case PrevalenceFamily::whz_overweight: {
      const float z = p.whz[row];
      const bool has = present(z);
      r.counted = has || oedema;
      r.oedema = oedema;
      r.a = !oedema && has && z > 2.0f;
      r.b = !oedema && has && z > 3.0f;
      return r;
    }
    case PrevalenceFamily::muac: {
      const double m = p.muac[row];
      const bool has = present(p.muac[row]);
      r.counted = has || oedema;
      r.oedema = oedema;
      r.a = oedema || (has && m < in.muac.moderate);
      r.b = !oedema && has && m >= in.muac.severe && m < in.muac.moderate;
      r.c = oedema || (has && m < in.muac.severe);
      return r;
    }
    case PrevalenceFamily::muac_or_whz: {
      const double m = p.muac[row];
      const bool has_m = present(p.muac[row]);
      const float z = p.whz[row];
      const bool has_z = present(z);
      r.counted = has_m || has_z || oedema;
      r.oedema = oedema;
      r.a = oedema || (has_m && m < in.muac.moderate) || (has_z && z < -2.0f);
      r.c = oedema || (has_m && m < in.muac.severe) || (has_z && z < -3.0f);
      r.b = r.a && !r.c;
      return r;
    }
  }
  return r;
}

bool in_subset(char sex, SexSubset subset) {
  switch (subset) {
    case SexSubset::all:
      return true;
    case SexSubset::boys:
      return sex == 'm';
    case SexSubset::girls:
      return sex == 'f';
  }
  return false;
}

template <typename Classify>
PrevalenceValues count_and_estimate(const ParsedRows& p, SexSubset sex,
                                    const Classify& classify_row,
                                    const stats::PopulationCorrectionInputs& planning) {
  PrevalenceValues v;
  std::vector<stats::ClusterRecord> records(kLargestCluster + 1);
  for (int row = 1; row < p.row_count(); ++row) {
    const std::size_t r = static_cast<std::size_t>(row);
    const int cluster = p.cluster[r];
    if (cluster == ParsedRows::kNoCluster) continue;
    if (!in_subset(p.sex[r], sex)) continue;
    const RowCase k = classify_row(row);
    if (!k.counted) continue;
    if (cluster == 0) {
      ++v.rows_with_unusable_cluster;
      continue;
    }
    v.clusters = std::max(v.clusters, cluster);
    stats::ClusterRecord& c = records[static_cast<std::size_t>(cluster)];
    c.m += 1.0;
    c.a += k.a ? 1.0 : 0.0;
    c.b += k.b ? 1.0 : 0.0;
    c.c += k.c ? 1.0 : 0.0;
    ++v.n;
    v.a.count += k.a;
    v.b.count += k.b;
    v.c.count += k.c;
    v.oedema += k.oedema;
  }
  records.erase(records.begin());  // cluster numbers start at 1
  records.resize(static_cast<std::size_t>(v.clusters));
  v.estimate = stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry, planning);
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

}  // namespace

bool in_sex_subset(std::string_view sex, SexSubset subset) {
  switch (subset) {
    case SexSubset::all:
      return true;
    case SexSubset::boys:
      return sex == "m";
    case SexSubset::girls:
      return sex == "f";
  }
  return false;
}

int cluster_number(std::string_view text) {
  const std::optional<float> v = core::parse_number(text, '.');
  if (!v || *v != std::floor(*v) || *v < 1.0f || *v > static_cast<float>(kLargestCluster)) return 0;
  return static_cast<int>(*v);
}

PrevalenceValues prevalence_values(const core::TextGrid& table, PrevalenceFamily family,
                                   const PrevalenceInputs& inputs) {
  unsigned columns = kParseWhz;
  switch (family) {
    case PrevalenceFamily::waz:
      columns = kParseWaz;
      break;
    case PrevalenceFamily::haz:
      columns = kParseHaz;
      break;
    case PrevalenceFamily::muac:
      columns = kParseMuac;
      break;
    case PrevalenceFamily::muac_or_whz:
      columns = kParseMuac | kParseWhz;
      break;
    case PrevalenceFamily::whz_wasting:
    case PrevalenceFamily::whz_overweight:
      break;
  }
  return prevalence_values(parse_rows(table, inputs.decimal_separator, columns), family, inputs);
}

PrevalenceValues prevalence_values(const ParsedRows& rows, PrevalenceFamily family,
                                   const PrevalenceInputs& inputs) {
  return count_and_estimate(
      rows, inputs.sex,
      [&](int row) { return classify(rows, static_cast<std::size_t>(row), family, inputs); },
      inputs.planning);
}

PrevalenceValues prevalence_of_rows(const core::TextGrid& table, SexSubset sex,
                                    const std::function<RowCase(int row)>& classify_row) {
  return prevalence_of_rows(parse_rows(table, '.', 0), sex, classify_row);
}

PrevalenceValues prevalence_of_rows(const ParsedRows& rows, SexSubset sex,
                                    const std::function<RowCase(int row)>& classify_row) {
  return count_and_estimate(rows, sex, classify_row, {});
}

PrevalenceValues prevalence_of_rows(const ParsedRows& rows, SexSubset sex,
                                    const stats::PopulationCorrectionInputs& planning,
                                    const std::function<RowCase(int row)>& classify_row) {
  return count_and_estimate(rows, sex, classify_row, planning);
}

}  // namespace olvar::analysis
