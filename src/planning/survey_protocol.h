#pragma once
// The survey protocol (button "Survey Protocol"): the template "report_planning.rtf" with its
// sixteen markers #01 to #16 replaced by the sample size fields of the Planning page.

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/workspace.h"
#include "planning/sample_size.h"
#include "document/document_buffer.h"

namespace olvar::planning {

inline constexpr std::string_view kSurveyProtocolTemplate = "report_planning.rtf";

// The template's text (read character by character, line breaks kept) with each marker's first
// occurrence replaced: #01 sc_b, #02 sc_c, #03 sc_d, #04 Panel2, #05 sc_e, #06 sc_f, #07 sc_g,
// #08 Panel7, #09 sm_a, #10 sm_b, #11 sm_c, #12 sm_d, #13 Panel3, #14 sm_e, #15 sm_f, #16 Panel10.
// nullopt when the template cannot be read: the caller says so and writes nothing, rather than
// handing out whatever the last report left behind.
std::optional<document::DocumentBuffer> survey_protocol(const core::PlanningPage& page,
                                                       const SampleSizeOutputs& outputs,
                                                       const std::filesystem::path& template_file);

}  // namespace olvar::planning
