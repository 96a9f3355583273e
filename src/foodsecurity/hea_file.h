#pragma once
// The HEA file (".fs"): the three household economy tables in one text file in the system code
// page, lines ending in CR LF. Each section opens with a line made of the byte 0xA5 and its
// name ("Household Data", "Seasonal Data", "Model"); each table row is one line whose cells (all
// columns but the last) are each followed by a tab; two empty lines end the file.
//
// A file is read into a new value that the caller puts in place of the tables in use only when
// the whole file was read, so a broken file never leaves half-replaced tables behind.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "foodsecurity/hea_tables.h"

namespace olvar::foodsecurity {

inline constexpr std::string_view kHouseholdSection = "\xA5Household Data";
inline constexpr std::string_view kSeasonalSection = "\xA5Seasonal Data";
inline constexpr std::string_view kModelSection = "\xA5Model";
inline constexpr std::string_view kDefaultHeaFile = "default.fs";
inline constexpr std::string_view kOpenFilter = "Food security|*.fs";
inline constexpr std::string_view kSaveFilter = "Food Security|*.fs";
inline constexpr std::string_view kDefaultMissing = "File default.fs not found!";

// A file that is not a HEA file, is cut short or does not fit the tables. The message names the
// file and, where there is one, the line (counted from 1).
class HeaFileError : public std::runtime_error {
 public:
  HeaFileError(const std::string& file, int line, const std::string& what);
  int line() const { return line_; }

 private:
  int line_;
};

// Reads the bytes of a HEA file; `file_name` only names the file in messages.
HeaTables read_hea_bytes(std::string_view bytes, const std::string& file_name);
// The bytes of the HEA file for the tables.
std::string hea_file_bytes(const HeaTables& tables);

// Reads a file from disk; throws HeaFileError also when it cannot be opened.
HeaTables read_hea_file(const std::filesystem::path& path);
// Writes the file through the safe-write routine (the old file stays until the new one is
// complete); throws platform::WriteFailure.
void write_hea_file(const std::filesystem::path& path, const HeaTables& tables);

// Puts tables that were read in place of those in use and follows the file: the wealth group
// names of household row 1 go into the list (rows beyond them keep their text), the start month
// becomes the seasonal table's first month column, and `path` the current HEA file name.
void adopt_read_tables(FoodSecurity& state, HeaTables tables, const std::filesystem::path& path);

// The name the save dialog proposes: the current HEA file unless it is the default file.
std::filesystem::path proposed_save_name(const FoodSecurity& state);
// A chosen save name gets ".fs" appended when it does not contain ".fs".
std::filesystem::path with_hea_extension(const std::filesystem::path& chosen);

}  // namespace olvar::foodsecurity
