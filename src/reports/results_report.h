#pragma once
// The results report: the survey's final document, the template "report.rtf" with its markers
// filled. The main part shows the WHO 2006 standards, a copy of its results section the NCHS
// 1977 reference; death rates, the cluster sampling table and the standardisation test results
// are inserted once. The figures are computed first (results_report_values.h), then laid out.
//
//   const auto report = results_report(workspace, context, program_folder /
//   kResultsReportTemplate); if (!report) prompter.inform(text.text(kReportTemplateMissing)); else
//   WriteReportDocument(report->document, settings, folders, services);
//
// The caller's workspace is never changed: each reference evaluates a copy of the survey.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/options_page.h"
#include "core/workspace.h"
#include "document/document_buffer.h"
#include "reports/results_report_values.h"

namespace olvar::reports {

inline constexpr std::string_view kResultsReportTemplate = "report.rtf";
// Shown when the template cannot be read; nothing is written then.
inline constexpr core::LanguageEntry kReportTemplateMissing{892};

// Captions of the Options page's exclusion controls that describe the exclusion ("#800").
inline constexpr core::LanguageEntry kExclusionGroupCaption{1300};  // `GroupBox9`
inline constexpr core::LanguageEntry kEpiInfoCaption{1015};         // `excl2_vv`
inline constexpr core::LanguageEntry kEpiInfoRangesCaption{1301};   // `excl3_vv`
inline constexpr core::LanguageEntry kEpiInfoIndexLabels[] = {{1302}, {1303}, {1304}};
inline constexpr core::LanguageEntry kKanduCaption{1016};        // `excl2_pc`
inline constexpr core::LanguageEntry kKanduWindowCaption{1305};  // `excl3_pc`
inline constexpr core::LanguageEntry kKanduIndexLabels[] = {{1306}, {1307}, {1308}};
inline constexpr core::LanguageEntry kNoExclusionCaption{1017};  // `excl2_ne`
// Headings of the cluster sampling table ("#98").
inline constexpr core::LanguageEntry kClusterTableHeadings[] = {{925}, {926}, {927}};

struct ResultsReportContext {
  const core::LanguageTable& text;
  const anthro::WhoReference& who;
  // Row evaluation as configured; each part of the report replaces the reference by its own.
  anthro::RowEvaluationSettings evaluation;
  // The Options page: exclusion, selection, age groups, MUAC cut-offs.
  core::OptionsPage options;
  // The Planning page's small-population correction, the same inputs the results page reads.
  stats::PopulationCorrectionInputs planning = {};
};

// A marker the report filled: its text as the template has it, and the value inserted there
// (empty where a value cannot be computed and the marker is only removed).
struct FilledMarker {
  std::string marker;
  std::string value;
  friend bool operator==(const FilledMarker&, const FilledMarker&) = default;
};

// The death rates of the household level as their output fields show them ("#18").
struct DeathRateTexts {
  std::string crude;  // "0.45 (0.31-0.65)"; empty without a rate
  std::string under_five;
};

struct ResultsReport {
  document::DocumentBuffer document;  // the finished RTF text without the closing brace
  // In the order filled: "#800", the main part (WHO 2006), its NCHS 1977 part, the MUAC cut-offs,
  // the standardisation results and the cluster table. The layout markers "#900" ... "#904"
  // and "#100" carry no value and are not listed.
  std::vector<FilledMarker> filled;
  ReferenceValues who;
  ReferenceValues nchs;
};

// The whole report (`SpeedButton5Click` without its hand-off); nullopt when the template cannot
// be read.
std::optional<ResultsReport> results_report(const core::Workspace& workspace,
                                            const ResultsReportContext& context,
                                            const std::filesystem::path& template_file);

// `Write_Report`: fills one part's markers from its values, recording each filled marker.
void Write_Report(document::DocumentBuffer& buffer, const ReferenceValues& values,
                  const ReportInputs& inputs, const DeathRateTexts& deaths,
                  std::vector<FilledMarker>& filled);

// The household-level death rates of the workspace, empty when they cannot be computed.
DeathRateTexts household_death_rates(const core::Workspace& workspace);

// The description of the exclusion inserted at "#800".
std::string exclusion_description(const core::OptionsPage& options,
                                  const core::LanguageTable& text);

// The cluster sampling table inserted at "#98": headings, then one line per unit of the
// Planning page's table whose three cells are not all empty.
std::string cluster_table_text(const core::TextGrid& cluster_table,
                               const core::LanguageTable& text);

}  // namespace olvar::reports
