#include "anthro/ethiopian_conversion.h"

#include <fstream>

namespace olvar::anthro {

namespace {

// A date of three numbers written with any separators, in the table's form: "/" between the
// parts, no leading zeros ("02.03.2001" -> "2/3/2001"); empty for anything else.
std::string table_form(std::string_view text) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      if (parts.back() == "0") parts.back().clear();
      parts.back() += c;
    } else if (c == '.' || c == '-' || c == '/' || c == ' ') {
      if (!parts.back().empty()) parts.emplace_back();
    } else {
      return {};
    }
  }
  if (parts.size() != 3 || parts.back().empty()) return {};
  return parts[0] + "/" + parts[1] + "/" + parts[2];
}

}  // namespace

EthiopianTable EthiopianTable::parse(std::istream& in) {
  EthiopianTable table;
  std::string line;
  for (std::size_t read = 0; read < kMaxEthiopianTableLines && std::getline(in, line); ++read) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string gregorian = line.substr(tab + 1);
    // A third field, if any, is no part of the date.
    if (const auto next = gregorian.find('\t'); next != std::string::npos) gregorian.resize(next);
    table.by_ethiopian_.try_emplace(line.substr(0, tab), std::move(gregorian));
  }
  return table;
}

std::optional<EthiopianTable> EthiopianTable::read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return parse(in);
}

const std::string* EthiopianTable::gregorian(std::string_view ethiopian) const {
  const auto found = by_ethiopian_.find(std::string(ethiopian));
  return found == by_ethiopian_.end() ? nullptr : &found->second;
}

EthiopianConversion convert_ethiopian_dates(core::SurveyTable& table,
                                            const std::filesystem::path& program_folder,
                                            const core::DateConventions& conventions,
                                            core::Prompter& prompter,
                                            const std::function<void()>& evaluate_all_rows) {
  EthiopianConversion result;
  const std::filesystem::path file = program_folder / kEthiopianTableFile;
  std::optional<EthiopianTable> calendar;
  std::error_code error;
  if (std::filesystem::is_regular_file(file, error)) calendar = EthiopianTable::read(file);
  if (!calendar) {
    prompter.inform(std::string(kEthiopianTableMissing) +
                    " The table ethiopian.dat is made when the program is built; it belongs in "
                    "the program folder " +
                    program_folder.string() + ".");
    return result;
  }
  result.table_found = true;

  if (!prompter.ask_yes_no(kEthiopianQuestion)) return result;
  result.confirmed = true;

  for (int row = 1; row <= table.row_count() - 2; ++row) {
    for (const core::StdVar variable : {core::StdVar::survdate, core::StdVar::birthdat}) {
      const std::string_view text = table.cell(variable, row);
      if (text.empty()) continue;
      const std::string* gregorian = calendar->gregorian(text);
      if (gregorian == nullptr) gregorian = calendar->gregorian(table_form(text));
      if (gregorian == nullptr) {
        if (result.unmatched.size() < kEthiopianCellsNamed) {
          result.unmatched.push_back({row, variable, std::string(text)});
        }
        ++result.cells_unmatched;
        continue;
      }
      // The table writes day first with "/", whatever the system's order.
      table.set_cell(
          variable, row,
          core::convert_date_from_file_order(*gregorian, core::DateOrder::dmy, conventions));
      ++result.cells_converted;
    }
  }
  if (evaluate_all_rows) evaluate_all_rows();
  return result;
}

std::string ethiopian_conversion_message(const EthiopianConversion& conversion) {
  std::string message = std::to_string(conversion.cells_converted) +
                        (conversion.cells_converted == 1 ? " date was" : " dates were") +
                        " converted from the Ethiopian to the Gregorian calendar.";
  if (conversion.cells_unmatched == 0) return message;
  message += " " + std::to_string(conversion.cells_unmatched) +
             (conversion.cells_unmatched == 1 ? " cell is" : " cells are") +
             " no Ethiopian date and kept as typed:";
  for (const EthiopianCell& cell : conversion.unmatched) {
    message += "\nrow " + std::to_string(cell.row) + ", " +
               std::string(core::header_text(cell.variable)) + ": \"" + cell.text + "\"";
  }
  if (conversion.unmatched.size() < static_cast<std::size_t>(conversion.cells_unmatched)) {
    message += "\n...";
  }
  return message;
}

}  // namespace olvar::anthro
