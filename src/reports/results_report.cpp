#include "reports/results_report.h"

#include "core/text_conversions.h"
#include "mortality/death_rates.h"
#include "training/standardisation.h"
#include "training/training_grid.h"

namespace olvar::reports {

namespace {

using document::DocumentBuffer;

// Fills markers of a document: the first occurrence of the marker is removed and the value goes
// where it stood. A marker the template does not hold is skipped, never filled at the start.
class MarkerFiller {
 public:
  MarkerFiller(DocumentBuffer& buffer, std::vector<FilledMarker>& filled, char separator)
      : buffer_(buffer), filled_(filled), separator_(separator) {}

  bool fill(std::string_view marker, std::string_view value) {
    if (buffer_.text().find(marker) == std::string::npos) return false;
    buffer_.take_marker(marker, marker.size());
    buffer_.insert(value);
    filled_.push_back({std::string(marker), std::string(value)});
    return true;
  }
  void fill_twice(std::string_view marker, std::string_view value) {
    fill(marker, value);
    fill(marker, value);
  }
  void fill_every(std::string_view marker, std::string_view value) {
    while (fill(marker, value)) {
    }
  }

  // Numbers as the report prints them: one decimal, leading spaces removed.
  std::string percent(double value) const {
    return core::format_fixed_trimmed(value, 4, 1, separator_);
  }
  // The age tables keep the padding of the fixed format (4, 1).
  std::string padded_percent(double value) const {
    return core::format_fixed(value, 4, 1, separator_);
  }
  std::string two_decimals(double value) const {
    return core::format_fixed_trimmed(value, 3, 2, separator_);
  }

 private:
  DocumentBuffer& buffer_;
  std::vector<FilledMarker>& filled_;
  char separator_;
};

std::string marker(std::string_view prefix, int code) {
  // Codes run from 01 to 54: always two digits.
  std::string out(prefix);
  out += '-';
  out += static_cast<char>('0' + code / 10 % 10);
  out += static_cast<char>('0' + code % 10);
  return out;
}

// `ClusterCI`'s sub-markers of one family.
void ClusterCI(MarkerFiller& f, std::string_view m, const analysis::PrevalenceValues& v) {
  const bool any = v.n > 0;
  const auto pct = [&](double x) { return any ? f.percent(x) : std::string(); };
  f.fill(marker(m, 1), std::to_string(v.n));
  f.fill(marker(m, 2), std::to_string(v.a.count));
  f.fill_twice(marker(m, 3), pct(v.a.percent));
  f.fill_twice(marker(m, 4), pct(v.a.interval.lower));
  f.fill_twice(marker(m, 5), pct(v.a.interval.upper));
  f.fill(marker(m, 6), std::to_string(v.b.count));
  f.fill(marker(m, 7), pct(v.b.percent));
  f.fill(marker(m, 8), pct(v.b.interval.lower));
  f.fill(marker(m, 9), pct(v.b.interval.upper));
  f.fill(marker(m, 10), std::to_string(v.c.count));
  f.fill_twice(marker(m, 11), pct(v.c.percent));
  f.fill_twice(marker(m, 12), pct(v.c.interval.lower));
  f.fill_twice(marker(m, 13), pct(v.c.interval.upper));
  if (m == "#02") f.fill(marker(m, 14), pct(v.oedema_percent));
}

// `A_group`: the nine markers of age group g (1 ... 6) of one age table.
void A_group(MarkerFiller& f, std::string_view m, int g, const analysis::AgeGroupValues& v) {
  const int first = 9 * (g - 1) + 1;
  if (v.n == 0) {
    for (int k = 0; k < 9; ++k) f.fill(marker(m, first + k), "");
    return;
  }
  f.fill(marker(m, first), std::to_string(v.n));
  for (int c = 0; c < 3; ++c) {
    f.fill(marker(m, first + 1 + 2 * c), std::to_string(v.category[c].count));
    f.fill(marker(m, first + 2 + 2 * c), f.padded_percent(v.category[c].percent));
  }
  f.fill(marker(m, first + 7), std::to_string(v.oedema.count));
  f.fill(marker(m, first + 8), f.padded_percent(v.oedema.percent));
}

void AgeTables(MarkerFiller& f, std::string_view m, const std::vector<analysis::AgeGroupValues>& table) {
  for (std::size_t g = 0; g < table.size() && g < 6; ++g)
    A_group(f, m, static_cast<int>(g) + 1, table[g]);
}

// `Report_mean_values_DE`: excluded, missing, design effect, mean ± SD and n of one index into
// five consecutive "#17" markers.
void Report_mean_values_DE(MarkerFiller& f, const MeanValues& v, int first_code) {
  f.fill(marker("#17", first_code), std::to_string(v.excluded));
  f.fill(marker("#17", first_code + 1), std::to_string(v.missing));
  f.fill(marker("#17", first_code + 2), f.two_decimals(v.design_effect));
  // The plus-minus sign of Windows-1252, as every report writes it.
  f.fill(marker("#17", first_code + 3),
         v.n > 0 ? f.two_decimals(v.mean) + "\xB1" + f.two_decimals(v.sd) : std::string());
  f.fill(marker("#17", first_code + 4), std::to_string(v.n));
}

void age_sex_markers(MarkerFiller& f, const std::array<AgeSexCounts, 6>& groups) {
  const int all = groups[5].total();
  for (int g = 0; g < 6; ++g) {
    const AgeSexCounts& c = groups[static_cast<std::size_t>(g)];
    const int n = c.total();
    const auto share = [&](int part, int of) {
      return of > 0 ? f.percent(part * 100.0 / of) : std::string("0");
    };
    const int first = 7 * g + 1;
    f.fill(marker("#01", first), std::to_string(c.boys));
    f.fill(marker("#01", first + 1), share(c.boys, n));
    f.fill(marker("#01", first + 2), std::to_string(c.girls));
    f.fill(marker("#01", first + 3), share(c.girls, n));
    f.fill(marker("#01", first + 4), std::to_string(n));
    f.fill(marker("#01", first + 5), n > 0 ? share(n, all) : std::string("0"));
    f.fill(marker("#01", first + 6),
           c.girls > 0 ? f.percent(static_cast<double>(c.boys) / c.girls) : std::string());
  }
}

void oedema_markers(MarkerFiller& f, const OedemaWasting& w) {
  const int n = w.total();
  const int counts[] = {w.oedema_severe, w.oedema_only, w.severe_only, w.neither};
  for (int k = 0; k < 4; ++k) {
    f.fill(marker("#06", 2 * k + 1), std::to_string(counts[k]));
    f.fill(marker("#06", 2 * k + 2), n > 0 ? f.percent(counts[k] * 100.0 / n) : std::string());
  }
}

void overlap_markers(MarkerFiller& f, const OverlapValues& o) {
  const auto pair = [&](int code, int count) {
    f.fill(marker("#33", code), std::to_string(count));
    f.fill(marker("#33", code + 1), o.n > 0 ? f.percent(count * 100.0 / o.n) : std::string());
  };
  pair(1, o.muac_severe_only);
  pair(7, o.whz_severe_only);
  pair(13, o.both_severe);
  pair(5, o.muac_moderate_only);
  pair(11, o.whz_moderate_only);
  pair(17, o.both_moderate);
  pair(19, o.oedema);
  pair(23, o.oedema);
  pair(25, o.severe_total());
  pair(29, o.moderate_total());
  f.fill(marker("#33", 31), std::to_string(o.n));
}

// Deletes from the first occurrence of `from` up to, not including, the first occurrence of `to`
// after it; nothing when either is missing.
void cut_between(DocumentBuffer& buffer, std::string_view from, std::string_view to) {
  const std::size_t start = buffer.text().find(from);
  if (start == std::string::npos || buffer.text().find(to, start) == std::string::npos) return;
  buffer.take_marker(from, from.size());
  buffer.cut_to_marker(to);
}

// RTF's three special characters in a user's text would end a group or start a control word.
std::string rtf_escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

// Replaces every "115mm" (or "125mm"): its number is removed and the cut-off with a blank goes
// there, so the template's "mm" follows. The search goes on after each insertion, so a cut-off
// that itself reads "115mm" cannot repeat forever.
void replace_muac_unit(DocumentBuffer& buffer, std::string_view pattern, const std::string& cutoff,
                       std::vector<FilledMarker>& filled) {
  std::string text = buffer.text();
  const std::string value = cutoff + " ";
  std::size_t from = 0;
  bool any = false;
  for (std::size_t at; (at = text.find(pattern, from)) != std::string::npos;) {
    text.replace(at, 3, value);
    from = at + value.size();
    filled.push_back({std::string(pattern), value});
    any = true;
  }
  if (any) buffer.assign(std::move(text));
}

}  // namespace

std::string exclusion_description(const core::OptionsPage& options,
                                  const core::LanguageTable& text) {
  const std::string& group = text.text(kExclusionGroupCaption);
  std::string out = " " + group + " ";
  const core::FlagParameters& p = options.flags;
  const auto bounds = [](const std::string& low, const std::string& high) {
    return std::string(core::trim_spaces(low)) + " to " + std::string(core::trim_spaces(high));
  };
  const auto ranges = [&](const core::LanguageEntry* labels, const std::array<std::string, 6>& b) {
    std::string r;
    for (int k = 0; k < 3; ++k) {
      if (k > 0) r += "; ";
      r += text.text(labels[k]) + " " + bounds(b[2 * k], b[2 * k + 1]);
    }
    return r;
  };
  switch (options.exclusion) {
    case core::ExclusionMode::epi_info:
      out += text.text(kEpiInfoCaption) + " " + text.text(kEpiInfoRangesCaption) + ": " +
             ranges(kEpiInfoIndexLabels, {p.whz_l, p.whz_h, p.haz_l, p.haz_h, p.waz_l, p.waz_h});
      break;
    case core::ExclusionMode::kandu:
      out +=
          text.text(kKanduCaption) + " " + text.text(kKanduWindowCaption) + ": " +
          ranges(kKanduIndexLabels, {p.whz_ol, p.whz_oh, p.haz_ol, p.haz_oh, p.waz_ol, p.waz_oh});
      break;
    case core::ExclusionMode::none:
      // The group caption ends in a colon already; a second one would stand alone.
      if (group.empty() || group.back() != ':') out += ": ";
      out += text.text(kNoExclusionCaption);
      break;
  }
  return out;
}

std::string cluster_table_text(const core::TextGrid& table, const core::LanguageTable& text) {
  std::string out = text.text(kClusterTableHeadings[0]) + "\\tab " +
                    text.text(kClusterTableHeadings[1]) + "\\tab " +
                    text.text(kClusterTableHeadings[2]) + " \\par\\par ";
  // Row 0 holds the grid's own headings; the units start at row 1. Empty rows are left out
  // whole: their tabs would otherwise pile up on the last line.
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view cells[] = {table.cell(0, row), table.cell(1, row), table.cell(2, row)};
    if (cells[0].empty() && cells[1].empty() && cells[2].empty()) continue;
    for (const std::string_view cell : cells) out += rtf_escaped(cell) + "\\tab ";
    out += "\\par ";
  }
  out += "\\pard ";
  return out;
}

DeathRateTexts household_death_rates(const core::Workspace& workspace) {
  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace));
  if (!recall.days) return {};
  const mortality::HouseholdResults h = mortality::household_rates(
      mortality::household_results_table(workspace.mortality_households), *recall.days);
  return {mortality::rate_text(h.crude), mortality::rate_text(h.under_five)};
}

void Write_Report(DocumentBuffer& buffer, const ReferenceValues& v, const ReportInputs& inputs,
                  const DeathRateTexts& deaths, std::vector<FilledMarker>& filled) {
  MarkerFiller f(buffer, filled, inputs.decimal_separator);
  age_sex_markers(f, v.age_sex);
  for (const char* m : {"#02", "#03", "#04", "#07"}) ClusterCI(f, m, v.family(m));
  AgeTables(f, "#05", v.age_tables.at("#05"));
  AgeTables(f, "#08", v.age_tables.at("#08"));
  for (const char* m : {"#26", "#27", "#28"}) ClusterCI(f, m, v.family(m));
  AgeTables(f, "#29", v.age_tables.at("#29"));
  for (const char* m : {"#09", "#10", "#11"}) ClusterCI(f, m, v.family(m));
  AgeTables(f, "#12", v.age_tables.at("#12"));
  for (const char* m : {"#13", "#14", "#15"}) ClusterCI(f, m, v.family(m));
  AgeTables(f, "#16", v.age_tables.at("#16"));
  oedema_markers(f, v.oedema_wasting);
  for (int g = 0; g < 5; ++g) {
    f.fill_every("#age0" + std::to_string(g + 1), inputs.group_labels[static_cast<std::size_t>(g)]);
  }
  Report_mean_values_DE(f, v.mean(MeanIndex::whz), 1);
  Report_mean_values_DE(f, v.mean(MeanIndex::waz), 6);
  Report_mean_values_DE(f, v.mean(MeanIndex::haz), 11);
  for (const char* m : {"#22", "#23", "#24"}) ClusterCI(f, m, v.family(m));
  AgeTables(f, "#25", v.age_tables.at("#25"));
  ClusterCI(f, "#30", v.family("#30"));
  overlap_markers(f, v.overlap);
  for (const char* m : {"#31", "#32"}) ClusterCI(f, m, v.family(m));
  f.fill_twice("#18-01", deaths.crude);
  f.fill_twice("#18-02", deaths.under_five);
}

std::optional<ResultsReport> results_report(const core::Workspace& workspace,
                                            const ResultsReportContext& context,
                                            const std::filesystem::path& template_file) {
  std::optional<std::string> text =
      document::read_template(template_file, document::TemplateReading::joined_lines);
  if (!text) return std::nullopt;
  ResultsReport report;
  DocumentBuffer& main = report.document;
  main.assign(std::move(*text));
  const char sep = context.evaluation.conventions.decimal_separator;
  const ReportInputs inputs = report_inputs(context.options, sep, context.planning);

  MarkerFiller(main, report.filled, sep)
      .fill("#800", exclusion_description(context.options, context.text));

  // The NCHS part is a copy of the results section, without the six characters before its end
  // marker (the page break that closes the main part's section).
  std::string nchs_text;
  const std::size_t from = main.text().find("#900");
  const std::size_t to = from == std::string::npos ? from : main.text().find("#901", from);
  if (to != std::string::npos && to >= from + 6)
    nchs_text = main.text().substr(from, to - 6 - from);
  cut_between(main, "#903", "#904");

  const DeathRateTexts deaths = household_death_rates(workspace);
  // One copy of the survey, evaluated under WHO and then again under NCHS, as the command
  // switches the reference of the survey itself; the caller's survey keeps its z-scores.
  anthro::RowEvaluationSettings settings = context.evaluation;
  settings.reference = anthro::Reference::who2006;
  EvaluatedSurvey copy = evaluate_for_report(workspace.survey, settings, context.who);
  analysis::AnalysisTable work;
  report.who = Write_Report_values(copy, inputs, work);
  Write_Report(main, report.who, inputs, deaths, report.filled);

  DocumentBuffer nchs(std::move(nchs_text));
  cut_between(nchs, "#900", "#902");
  settings.reference = anthro::Reference::nchs1977;
  evaluate_for_report(copy, settings, context.who);
  report.nchs = Write_Report_values(copy, inputs, work);
  Write_Report(nchs, report.nchs, inputs, deaths, report.filled);

  if (main.text().find("#100") != std::string::npos) {
    main.take_marker("#100", 4);
    main.insert(nchs.text());
  }
  for (std::size_t at; (at = main.text().find("#90")) != std::string::npos;) {
    main.take_marker("#90", 4);
  }

  // The cut-offs and the two inserted blocks come last, the cluster table after everything
  // else: a unit's name is the user's text and must not be taken for a marker.
  replace_muac_unit(main, "115mm", inputs.muac_severe_text, report.filled);
  replace_muac_unit(main, "125mm", inputs.muac_moderate_text, report.filled);
  core::TextGrid training = workspace.training_continuous;
  training::write_continuous_headings(training, context.text);
  MarkerFiller last(main, report.filled, sep);
  last.fill("#99", "\\pard " + training::previous_report_sections(training, context.text, sep));
  last.fill("#98", cluster_table_text(workspace.planning.cluster_table, context.text));
  return report;
}

}  // namespace olvar::reports
