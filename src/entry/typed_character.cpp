#include "entry/typed_character.h"

#include <cctype>

#include "core/options_page.h"
#include "core/standard_variables.h"

namespace olvar::entry {
namespace {

using core::column;
using core::LanguageEntry;
using core::StdVar;

constexpr LanguageEntry kClusterDigitsOnly{800};
constexpr LanguageEntry kSexCode{801};
constexpr LanguageEntry kYesNoCode{802};
constexpr LanguageEntry kNumberOnly{1102};
constexpr LanguageEntry kMeasureCode{912};

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

TypedCharacter kept(char c) { return {std::string(1, c), std::nullopt}; }
TypedCharacter warned(char c, LanguageEntry entry) { return {std::string(1, c), entry}; }

}  // namespace

TypedCharacter check_typed_character(int col, char key, const TypingRules& rules) {
  if (key == '\r' || key == '\n' || key == '\t' || key == '\b') return kept(key);
  const char low = lower(key);
  if (col == column(StdVar::cluster)) {
    return is_digit(key) ? kept(key) : warned(key, kClusterDigitsOnly);
  }
  if (col == column(StdVar::sex)) {
    if (low == '1') return kept('m');
    if (low == '2') return kept('f');
    return low == 'm' || low == 'f' ? kept(low) : warned(low, kSexCode);
  }
  if (col == column(StdVar::edema)) {
    // The graded coding types "0" to "3"; warning on them would cry wolf at every child.
    const bool valid = rules.oedema_yn ? (low == 'n' || low == 'y') : (low >= '0' && low <= '3');
    return valid ? kept(low) : warned(low, kYesNoCode);
  }
  if (col == column(StdVar::clothes) && rules.extra_columns_shown) {
    return low == 'n' || low == 'y' ? kept(low) : warned(low, kYesNoCode);
  }
  if (col == column(StdVar::measure) && rules.extra_columns_shown) {
    return low == 'l' || low == 'h' ? kept(low) : warned(low, kMeasureCode);
  }
  if (col == column(StdVar::months) || col == column(StdVar::weight) ||
      col == column(StdVar::height) || col == column(StdVar::muac) ||
      col == column(StdVar::strata) || col == column(StdVar::wtfactor)) {
    if (key == ',' || key == '.') return kept(rules.conventions.decimal_separator);
    return is_digit(key) ? kept(key) : warned(key, kNumberOnly);
  }
  if (col == column(StdVar::survdate) || col == column(StdVar::birthdat)) {
    const bool printable = static_cast<unsigned char>(key) >= 0x20 && key != 0x7f;
    if (printable && !is_digit(key)) return kept(rules.conventions.separator);
    return kept(key);
  }
  return kept(key);
}

std::vector<std::string> pull_down_choices(int col, const TypingRules& rules) {
  const auto numbers = [](int last) {
    std::vector<std::string> list;
    for (int n = 1; n <= last; ++n) list.push_back(std::to_string(n));
    return list;
  };
  if (col == column(StdVar::cluster)) return numbers(99);
  if (col == column(StdVar::team)) return numbers(9);
  if (col == column(StdVar::sex)) return {"m", "f"};
  if (col == column(StdVar::edema)) return core::oedema_pick_list(rules.oedema_yn);
  if (rules.extra_columns_shown) {
    if (col == column(StdVar::measure)) return {"l", "h"};
    if (col == column(StdVar::clothes)) return {"n", "y"};
  }
  return {};
}

bool uses_date_picker(int col) {
  return col == column(StdVar::survdate) || col == column(StdVar::birthdat);
}

std::optional<std::string> sex_pick_from_key(char key) {
  if (key == '1' || key == 'M' || key == 'm') return "m";
  if (key == '2' || key == '0' || key == 'F' || key == 'f') return "f";
  return std::nullopt;
}

}  // namespace olvar::entry
