// Feeds arbitrary bytes to the survey file reader. The reader must never crash, whatever it is
// given, and a survey it read must come back unchanged when written and read once more.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/survey_file.h"

namespace {

using olvar::core::DateConventions;
using olvar::core::DateOrder;
using olvar::core::SurveyFileError;
using olvar::core::SurveyReadContext;
using olvar::core::Workspace;

int count_byte(std::string_view text, char byte) {
  int count = 0;
  for (const char c : text) count += c == byte ? 1 : 0;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  SurveyReadContext context;
  context.dates = DateConventions{DateOrder::dmy, '.', '.'};
  // Row evaluation reads and writes cells of the row it is given, as the real one does.
  context.evaluate_row = [](Workspace& workspace, int row) {
    if (!workspace.survey.contains(8, row)) __builtin_trap();
    const std::string_view months = workspace.survey.cell(8, row);
    if (months.size() > 1000) workspace.survey.set_cell(8, row, months.substr(0, 1000));
  };
  try {
    const auto first = olvar::core::read_survey_bytes(bytes, "fuzz.as", Workspace{}, context);
    const std::string written = olvar::core::survey_file_bytes(first.workspace, context.dates);
    // Cells holding the section byte 0xA5 may open sections of their own when written; any
    // other survey must survive a second round unchanged.
    constexpr int kMarkersWritten = 9;
    if (count_byte(written, '\xA5') != kMarkersWritten) return 0;
    const auto second = olvar::core::read_survey_bytes(written, "fuzz.as", Workspace{}, context);
    if (olvar::core::survey_file_bytes(second.workspace, context.dates) != written) {
      __builtin_trap();
    }
  } catch (const SurveyFileError&) {
    // No header line: a refusal, not a fault.
  }
  return 0;
}
