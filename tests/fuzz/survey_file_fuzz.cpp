// Two things the survey file must hold whatever it is given.
//
// Arbitrary bytes read as a survey never crash the reader, and the survey read comes back
// unchanged when written and read once more.
//
// Cell text of any kind (TABs, line breaks, the section marker byte 0xA5, section names after
// it) typed into the cells of every page is written so that it reads back as the program says
// it kept it: holdable_text() of what was typed, and nothing else of the survey moves.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_text.h"
#include "core/survey_file.h"
#include "core/text_conversions.h"

namespace {

using olvar::core::DateConventions;
using olvar::core::DateOrder;
using olvar::core::SurveyFileError;
using olvar::core::SurveyReadContext;
using olvar::core::TextGrid;
using olvar::core::Workspace;

[[noreturn]] void fault() { __builtin_trap(); }

SurveyReadContext fuzz_context() {
  SurveyReadContext context;
  context.dates = DateConventions{DateOrder::dmy, '.', '.'};
  // Row evaluation reads and writes cells of the row it is given, as the real one does.
  context.evaluate_row = [](Workspace& workspace, int row) {
    if (!workspace.survey.contains(8, row)) fault();
    const std::string_view months = workspace.survey.cell(8, row);
    if (months.size() > 1000) workspace.survey.set_cell(8, row, months.substr(0, 1000));
  };
  return context;
}

void read_write_read(std::string_view bytes, const SurveyReadContext& context) {
  try {
    const auto first = olvar::core::read_survey_bytes(bytes, "fuzz.as", Workspace{}, context);
    const std::string written = olvar::core::survey_file_bytes(first.workspace, context.dates);
    const auto second = olvar::core::read_survey_bytes(written, "fuzz.as", Workspace{}, context);
    if (olvar::core::survey_file_bytes(second.workspace, context.dates) != written) fault();
  } catch (const SurveyFileError&) {
    // No header line: a refusal, not a fault.
  }
}

// The awkward pieces of text a few input bytes stand for, so that the fuzzer reaches them at
// once instead of having to guess a section name byte by byte.
std::string expand(std::string_view raw) {
  static constexpr std::array<std::string_view, 8> kPieces = {
      "\r\n", "\t", "\xA5", "\xA5Mor_individual:", "\xA5Planning:", "\xA5Mortality_new:",
      "\xA5Variables", "\xA5Options"};
  std::string text;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 1 && byte <= kPieces.size()) {
      text += kPieces[byte - 1];
    } else {
      text += c;
    }
  }
  return text;
}

// A cell the test types into and where the reader puts it back; `normalised` for the columns
// whose decimal commas the file turns into points.
struct Place {
  TextGrid Workspace::*grid;
  int column;
  int row;
  bool normalised;
};

constexpr std::array<Place, 10> kPlaces = {{
    {nullptr, 2, 1, false},  // the Survey table, CLUSTER of the first child
    {nullptr, 5, 1, false},  // HH of the first child
    {nullptr, 20, 1, true},  // a user variable of the first child
    {nullptr, 20, 2, true},  // ... of a second child, whose standard cells stay empty
    {&Workspace::mortality_households, 3, 2, false},
    {&Workspace::mortality_households, 11, 3, false},
    {&Workspace::mortality_individuals, 2, 1, false},
    {&Workspace::mortality_individuals, 170, 2, false},  // an additional variable
    {&Workspace::training_categorical, 4, 2, true},
    {&Workspace::variables, 2, 1, false},
}};

void typed_text_reads_back(std::string_view bytes, const SurveyReadContext& context) {
  // The input, cut at zero bytes, gives the texts typed into the places in turn.
  std::vector<std::string> texts;
  for (std::size_t start = 0; start <= bytes.size() && texts.size() < kPlaces.size() + 3;) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    texts.push_back(expand(bytes.substr(start, end - start)));
    start = end + 1;
  }
  Workspace typed;
  typed.survey.resize(30, 100);
  typed.survey.write_standard_headers();
  typed.survey.set_cell(20, 0, "NOTE");
  typed.survey.set_cell(6, 1, "m");
  typed.mortality_individuals.resize(175, 100);
  typed.mortality_individuals.set_cell(170, 0, "EXTRA");
  typed.mortality_individuals.set_cell(1, 2, "01.02.2026");
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < kPlaces.size() && i < texts.size(); ++i) {
    const Place& place = kPlaces[i];
    TextGrid& grid = place.grid == nullptr ? typed.survey : typed.*place.grid;
    grid.set_cell(place.column, place.row, texts[i]);
    std::string kept = olvar::core::holdable_text(texts[i]);
    if (place.normalised) olvar::core::normalise_decimal(kept, context.dates.decimal_separator);
    expected.push_back(std::move(kept));
  }
  const std::size_t more = kPlaces.size();
  if (texts.size() > more) typed.planning.survey_name = texts[more];
  if (texts.size() > more + 1) typed.mortality_options.cde1 = texts[more + 1];
  if (texts.size() > more + 2) typed.rd_hh = texts[more + 2];

  const std::string written = olvar::core::survey_file_bytes(typed, context.dates);
  const Workspace back =
      olvar::core::read_survey_bytes(written, "fuzz.as", Workspace{}, context).workspace;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Place& place = kPlaces[i];
    const TextGrid& grid = place.grid == nullptr ? back.survey : back.*place.grid;
    if (grid.cell(place.column, place.row) != expected[i]) fault();
  }
  if (texts.size() > more && back.planning.survey_name != olvar::core::holdable_text(texts[more])) {
    fault();
  }
  if (texts.size() > more + 1 &&
      back.mortality_options.cde1 != olvar::core::holdable_text(texts[more + 1])) {
    fault();
  }
  if (texts.size() > more + 2 && back.rd_hh != olvar::core::holdable_text(texts[more + 2])) {
    fault();
  }
  // Nothing else moved: the fixed cells are where they were typed.
  if (back.survey.cell(6, 1) != "m" || back.mortality_individuals.cell(1, 2) != "01.02.2026" ||
      back.mortality_individuals.cell(170, 0) != "EXTRA" || back.survey.cell(20, 0) != "NOTE") {
    fault();
  }
  // And what was read is written again byte for byte.
  if (olvar::core::survey_file_bytes(back, context.dates) != written) fault();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SurveyReadContext context = fuzz_context();
  read_write_read(bytes, context);
  typed_text_reads_back(bytes, context);
  return 0;
}
