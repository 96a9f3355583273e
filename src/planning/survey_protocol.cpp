#include "planning/survey_protocol.h"

#include <array>
#include <string>

namespace olvar::planning {

std::optional<document::DocumentBuffer> survey_protocol(const core::PlanningPage& page,
                                                       const SampleSizeOutputs& outputs,
                                                       const std::filesystem::path& template_file) {
  std::optional<std::string> text =
      document::read_template(template_file, document::TemplateReading::verbatim);
  if (!text) return std::nullopt;
  document::DocumentBuffer buffer(std::move(*text));
  const std::array<const std::string*, 16> fields = {
      &page.sc_b,      &page.sc_c,      &page.sc_d, &outputs.Panel2, &page.sc_e, &page.sc_f,
      &page.sc_g,      &outputs.Panel7, &page.sm_a, &page.sm_b,      &page.sm_c, &page.sm_d,
      &outputs.Panel3, &page.sm_e,      &page.sm_f, &outputs.Panel10};
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string marker = (k < 9 ? "#0" : "#") + std::to_string(k + 1);
    if (buffer.text().find(marker) == std::string::npos) continue;  // nothing to fill
    buffer.take_marker(marker, 3);
    buffer.insert(*fields[k]);
  }
  return buffer;
}

}  // namespace olvar::planning
