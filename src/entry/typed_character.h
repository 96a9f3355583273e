#pragma once
// The check of every character typed into a Data View cell. A failed check is a warning only:
// the character still goes into the cell (converted where the column asks for it), and the
// plausibility marks show later what is still wrong. Enumerators type fast from paper forms,
// so refusing keys would lose data; a warning makes them look.

#include <optional>
#include <string>
#include <vector>

#include "core/date_conventions.h"
#include "core/language_table.h"

namespace olvar::entry {

struct TypedCharacter {
  std::string text;                            // what goes into the cell for the key
  std::optional<core::LanguageEntry> warning;  // the message to show, if the check failed
};

// What the check depends on besides the column and the key.
struct TypingRules {
  core::DateConventions conventions;  // the date and the decimal separator
  bool extra_columns_shown = false;   // MEASURE and CLOTHES are checked only while shown
  bool oedema_yn = true;              // EDEMA coded "y"/"n"; false: "0" to "3"
};

// The check of `key` typed into `column`:
//   CLUSTER digits only (entry 800); SEX lower-cased, "1" -> "m", "2" -> "f", else "m" or "f"
//   (801); EDEMA the codes of the oedema coding (802); CLOTHES "y" or "n" (802); MONTHS,
//   WEIGHT, HEIGHT, MUAC, STRATA and WTFACTOR digits or a separator, which becomes the system
//   decimal separator (1102); MEASURE "l" or "h" (912); SURVDATE and BIRTHDAT any printable
//   non-digit becomes the system date separator. Enter, Tab and Backspace, and every other
//   column, pass unchecked.
TypedCharacter check_typed_character(int column, char key, const TypingRules& rules);

// The choices of the pull-down editor of `column` with the pull-down option: CLUSTER 1 to 99,
// TEAM 1 to 9, SEX "m" and "f", EDEMA the oedema pick list, MEASURE "l" and "h" and CLOTHES
// "n" and "y" while shown. Empty for a column edited directly or with the date picker
// (SURVDATE and BIRTHDAT, see uses_date_picker).
std::vector<std::string> pull_down_choices(int column, const TypingRules& rules);
bool uses_date_picker(int column);

// A key typed into the SEX pick list: "1", "M" or "m" show "m"; "2", "0", "F" or "f" show "f";
// nullopt leaves the list as it is.
std::optional<std::string> sex_pick_from_key(char key);

}  // namespace olvar::entry
