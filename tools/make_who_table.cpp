// Builds anthro_who2005.dat, the program's WHO reference table, from WHO's published LMS tables.
//
//   make_who_table WHO_DIR OUTPUT
//
// WHO_DIR holds the tab-separated WHO tables (header line; columns sex, key, l, m, s, ...).
// Every block of the layout must be complete: each key of its range present exactly once for
// each sex, values finite with M and S positive. Keys outside a block's range (the 2007 tables
// start at 60 months, while the daily tables already cover them) are skipped. On any problem the
// tool names the file, line and key, writes nothing and exits with status 1, so that a build
// never ships a table with holes.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "anthro/who_table_layout.h"

namespace {

using olvar::anthro::kWhoLayout;
using olvar::anthro::kWhoRecordCount;
using olvar::anthro::WhoBlockLayout;
using olvar::anthro::WhoTable;

struct Source {
  WhoTable table;
  const char* file;
};

// Which WHO file feeds which block.
constexpr Source kSources[] = {
    {WhoTable::weight_for_age_days, "weianthro.txt"},
    {WhoTable::length_for_age_days, "lenanthro.txt"},
    {WhoTable::weight_for_length, "wflanthro.txt"},
    {WhoTable::weight_for_height, "wfhanthro.txt"},
    {WhoTable::bmi_for_age_days, "bmianthro.txt"},
    {WhoTable::weight_for_age_months, "wfawho2007.txt"},
    {WhoTable::height_for_age_months, "hfawho2007.txt"},
    {WhoTable::bmi_for_age_months, "bfawho2007.txt"},
    {WhoTable::muac_for_age_months, "acfawho_monthly.txt"},
};

struct Record {
  double l = 0, m = 0, s = 0;
  bool present = false;
};

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<std::string_view> split_tabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool parse_double(std::string_view text, double& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

std::string where(const std::filesystem::path& file, int line) {
  return file.string() + ", line " + std::to_string(line) + ": ";
}

// Reads one WHO file into the records of its block (boys then girls).
void read_block(const std::filesystem::path& file, const WhoBlockLayout& block,
                std::vector<Record>& records) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot open the WHO table");

  std::string line;
  if (!std::getline(in, line)) throw InputError(file.string() + ": the file is empty");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::vector<std::string_view> header = split_tabs(line);
  const auto column = [&](std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
      if (header[i] == name) return static_cast<int>(i);
    throw InputError(where(file, 1) + "no column \"" + std::string(name) + "\" in the header");
  };
  const int sex_col = column("sex");
  const int key_col = 1;  // age, length or height, whatever its name
  const int l_col = column("l");
  const int m_col = column("m");
  const int s_col = column("s");

  int line_number = 1;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = split_tabs(line);
    if (fields.size() != header.size())
      throw InputError(where(file, line_number) + std::to_string(fields.size()) +
                       " fields, the header has " + std::to_string(header.size()));
    double sex = 0, key = 0, l = 0, m = 0, s = 0;
    if (!parse_double(fields[sex_col], sex) || (sex != 1 && sex != 2))
      throw InputError(where(file, line_number) + "sex \"" + std::string(fields[sex_col]) +
                       "\" is neither 1 nor 2");
    if (!parse_double(fields[key_col], key))
      throw InputError(where(file, line_number) + "key \"" + std::string(fields[key_col]) +
                       "\" is not a number");
    const double step = (key - block.first_key) / block.key_step;
    const double position = std::round(step);
    if (std::abs(step - position) > 1e-6)
      throw InputError(where(file, line_number) + "key " + std::string(fields[key_col]) +
                       " is off the grid of the table");
    if (position < 0 || position >= block.count) continue;  // outside the block's range
    if (!parse_double(fields[l_col], l) || !parse_double(fields[m_col], m) ||
        !parse_double(fields[s_col], s) || !(m > 0) || !(s > 0))
      throw InputError(where(file, line_number) +
                       "L, M and S must be numbers with M and S positive");
    const int index = block.boys_first + (sex == 2 ? block.count : 0) + static_cast<int>(position);
    Record& r = records[index];
    if (r.present)
      throw InputError(where(file, line_number) + "key " + std::string(fields[key_col]) +
                       " appears twice for sex " + std::string(fields[sex_col]));
    r = {l, m, s, true};
  }

  for (int i = 0; i < 2 * block.count; ++i) {
    if (records[block.boys_first + i].present) continue;
    const int position = i % block.count;
    const auto key_text = [&](int n) {
      std::ostringstream key;
      key << block.first_key + n * block.key_step;
      return key.str();
    };
    throw InputError(file.string() + ": no record for " + (i < block.count ? "boys" : "girls") +
                     " at key " + key_text(position) + " (the table needs every key from " +
                     key_text(0) + " to " + key_text(block.count - 1) + ")");
  }
}

void append_le(std::string& out, double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) {
    out.push_back(static_cast<char>(bits & 0xFF));
    bits >>= 8;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_who_table WHO_DIR OUTPUT\n";
    return 2;
  }
  const std::filesystem::path who_dir = argv[1];
  const std::filesystem::path output = argv[2];
  try {
    if (!std::filesystem::is_directory(who_dir))
      throw InputError("the WHO table folder " + who_dir.string() +
                       " does not exist (set OLVAR_WHO_DIR to the folder with the WHO tables)");
    std::vector<Record> records(kWhoRecordCount);
    for (const Source& source : kSources) {
      const std::filesystem::path file = who_dir / source.file;
      if (!std::filesystem::exists(file))
        throw InputError(file.string() +
                         " is missing (set OLVAR_WHO_DIR to the folder with the WHO tables)");
      read_block(file, kWhoLayout[static_cast<int>(source.table)], records);
    }

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(kWhoRecordCount) * 24);
    for (const Record& r : records) {
      if (!r.present) throw InputError("internal: a record was left unfilled");
      append_le(bytes, r.l);
      append_le(bytes, r.m);
      append_le(bytes, r.s);
    }

    // Written beside the target and renamed, so that a failed run never leaves half a table.
    const std::filesystem::path temporary = output.string() + ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) throw InputError(temporary.string() + ": cannot write the table");
    }
    std::filesystem::rename(temporary, output);
  } catch (const std::exception& e) {
    std::cerr << "make_who_table: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
