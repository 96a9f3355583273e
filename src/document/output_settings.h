#pragma once
// The options that say which office program opens the documents. They are kept in the settings
// record between runs; this struct is what reading that record fills in.

#include <string>
#include <string_view>

namespace olvar::document {

inline constexpr std::string_view kMsOffice = "ww";    // Options page "MS-Office"
inline constexpr std::string_view kOpenOffice = "oo";  // Options page "OpenOffice"

struct OutputSettings {
  // "ww" or "oo"; any other value is treated as "ww", the default.
  std::string kind = std::string(kMsOffice);
  // The word processor's executable (edit box `wordprocessor`, at most 80 characters in the
  // settings record). The spreadsheet program is derived from it.
  std::string word_processor_path;
  // Hand-off to a relay program through zwischen.dat. Only a settings record written by another
  // program changes these from their defaults; with the defaults the relay is not used.
  std::string relay_text;
  char relay_option = 'n';
  char second_relay_option = ' ';  // reset to a blank at every start

  bool uses_relay() const { return !relay_text.empty() || relay_option != 'n'; }
};

}  // namespace olvar::document
