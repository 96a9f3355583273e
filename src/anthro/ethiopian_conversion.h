#pragma once
// The Ethiopian date conversion command (menu Extras): replaces survey dates and dates of birth
// typed in the Ethiopian calendar by the Gregorian dates of the same days, through the table
// ethiopian.dat in the program folder.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/date_conventions.h"
#include "core/prompter.h"
#include "core/survey_table.h"

namespace olvar::anthro {

inline constexpr std::string_view kEthiopianTableFile = "ethiopian.dat";
inline constexpr std::size_t kMaxEthiopianTableLines = 100'000;

inline constexpr std::string_view kEthiopianTableMissing = "Table for Ethiopian dates not found!";
inline constexpr std::string_view kEthiopianQuestion =
    "Do you want to convert the Surveydate and Birthdate from Ethiopian into Gregorian format "
    "(please save first the ethiopian table to keep the original values, the days months and "
    "years should be separated by a slash and without 0 in front of numbers e.g. 2/3/2001)?";

// The lines of ethiopian.dat: an Ethiopian date text, a tab, the Gregorian date of the same day
// written d/m/yyyy (anthro/ethiopian_calendar.h). Lines without a tab are ignored; of two lines
// with the same Ethiopian text the first counts. Lookups take constant time, so converting a
// survey of 65,535 rows does not search the table row by row.
class EthiopianTable {
 public:
  // Reads at most kMaxEthiopianTableLines lines; a "\r" before the line end is dropped.
  static EthiopianTable parse(std::istream& in);
  // The table of a file; nullopt when the file does not exist or cannot be opened.
  static std::optional<EthiopianTable> read(const std::filesystem::path& file);

  // The Gregorian text (d/m/yyyy) for an Ethiopian date text as typed; nullptr when none.
  const std::string* gregorian(std::string_view ethiopian) const;
  std::size_t size() const { return by_ethiopian_.size(); }

 private:
  std::unordered_map<std::string, std::string> by_ethiopian_;
};

// A cell the conversion could not read.
struct EthiopianCell {
  int row = 0;
  core::StdVar variable = core::StdVar::survdate;
  std::string text;
};

struct EthiopianConversion {
  bool table_found = false;
  bool confirmed = false;   // the user answered Yes
  int cells_converted = 0;  // SURVDATE and BIRTHDAT cells replaced
  int cells_unmatched = 0;  // non-empty cells that are no date of the table
  std::vector<EthiopianCell> unmatched;  // the first kEthiopianCellsNamed of them
};
inline constexpr std::size_t kEthiopianCellsNamed = 20;

// What the user is told after the conversion: how many dates were converted and, when some
// could not be read, which cells (row, variable and text; the first kEthiopianCellsNamed).
std::string ethiopian_conversion_message(const EthiopianConversion& conversion);

// The command. Without ethiopian.dat in `program_folder` the user is told where it belongs and
// nothing changes. Otherwise, after the user confirms, SURVDATE and then BIRTHDAT of rows 1 to
// the second-to-last row are looked up: the Gregorian date of the line whose Ethiopian text
// equals the cell text, in the system order and separator, replaces the cell; empty and
// unmatched cells stay as they are. A cell written with ".", "-", blanks or leading zeros
// ("02.03.2001", "2-3-2001") is looked up in the table's form "2/3/2001", so that the date
// separator of the system does not decide what converts. A cell must equal a whole Ethiopian
// date, so "1/1/20" is no prefix of "1/1/2016". Then `evaluate_all_rows` re-derives ages and z-scores of every row.
EthiopianConversion convert_ethiopian_dates(core::SurveyTable& table,
                                            const std::filesystem::path& program_folder,
                                            const core::DateConventions& conventions,
                                            core::Prompter& prompter,
                                            const std::function<void()>& evaluate_all_rows);

}  // namespace olvar::anthro
