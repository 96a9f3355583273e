#pragma once
// The Options page of the survey window as a value: one field per control, named after the
// control where the page's own documents name it (`Edit2`, `zrl`, `muac1`, `wordprocessor`, ...).
// Edit boxes hold their text, check boxes and radio groups a bool or an enum. The UI binds widgets
// to these fields; every rule of loading, saving and resetting the page lives here.
//
// The page and the settings record meet in two functions only: Options_New (record -> page) and
// SaveOptionsClick (page -> record).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/flag_parameters.h"
#include "core/settings_record.h"
#include "platform/program_search.h"

namespace olvar::core {

class Prompter;

struct OptionsPage {
  // Auto-fill of a new row from the row above.
  bool autofill_id = true;
  bool autofill_hh = true;
  bool autofill_cluster = true;
  bool autofill_team = true;
  bool autofill_survdate = true;
  bool age_by_months = false;       // age entered mainly as months; false: by date of birth
  bool oedema_yn = true;            // oedema coded "y"/"n"; false: "0" to "3"
  bool oedema_correction = false;   // automatic oedema weight correction
  std::string Edit26 = "0";         // clothes weight in grams
  bool pull_down_entry = false;     // data entry with pull-down editors
  bool show_extra_columns = false;  // MEASURE, CLOTHES, STRATA, WTFACTOR shown

  // Age groups 1 to 5 in months: start and end of each.
  std::string Edit2 = "6", Edit3 = "17", Edit4 = "18", Edit5 = "29", Edit6 = "30", Edit7 = "41",
              Edit8 = "42", Edit9 = "53", Edit10 = "54", Edit11 = "59";
  // Mortality age bounds in years. Loaded from the settings record; the survey file carries
  // the values the user edits, so saving the options does not store them.
  std::string ma01 = "0", ma02 = "4", ma03 = "5", ma04 = "11", ma05 = "12", ma06 = "17",
              ma07 = "18", ma08 = "49", ma09 = "50", ma10 = "64", ma11 = "65", ma12 = "120";

  // Selection of the analysis: age range in months, height range in cm.
  bool zr = false;
  std::string zrl = "6.00", zrh = "59.99";
  bool zh = false;
  std::string zhl = "67.0", zhh = "110.0";

  // The reference selector is not here: its buttons (results page) read and set the settings
  // record's `reference` directly, so there is one place that holds it.
  ExclusionMode exclusion = kDefaultExclusionMode;
  FlagParameters flags;

  // MUAC cut-offs in mm: severe, moderate.
  std::string muac1 = "115", muac2 = "125";

  // " Program for Output ": "MS-Office" (`RadioButton5`) or "OpenOffice" (`RadioButton6`).
  bool RadioButton5 = true;
  std::string wordprocessor;  // path of the word processor executable

  // Expected proportions of the age groups in the plausibility check, per 1000. Never stored.
  std::string epc01 = "1000", epc02 = "1000", epc03 = "965", epc04 = "965", epc05 = "945",
              epc06 = "945", epc07 = "930", epc08 = "930", epc09 = "920", epc10 = "920";

  friend bool operator==(const OptionsPage&, const OptionsPage&) = default;
};

// The codes of the oedema pick list for the coding chosen: "y", "n" or "0" to "3".
std::vector<std::string> oedema_pick_list(bool oedema_yn);

// `Options_New`: the page as the settings record sets it, at window creation and after a reset.
// The Kandu offsets, the Epi Info ranges and the expected proportions take their defaults; the
// age range shows two decimals, the height range one; "MS-Office" is selected and the stored
// word processor path shown.
OptionsPage Options_New(const SettingsRecord& record, char decimal_separator = '.');

// `Edit24Change`, run when the start of age group 2, 3, 4 or 5 changes: the end of each of the
// groups 1 to 4 becomes the next group's start, read as a whole number, minus 1. An end whose next
// start is not a whole number is left as it is.
void Edit24Change(OptionsPage& page);

// The same for the flexible mortality age groups (years), run when a lower bound changes: the
// upper bound of each of the groups 1 to 5 (`ma02`, `ma04`, ... `ma10`) becomes the next group's
// lower bound, read as a number and rounded to a whole one (halves to even), minus 1. An upper
// bound whose next lower bound cannot be read is left as it is; the death rates read the bounds
// the same way.
void recompute_mortality_upper_bounds(OptionsPage& page);

// A whole number as the page reads one: optional blanks, an optional sign, digits.
std::optional<int> parse_whole_number(std::string_view text);

// What the caller does after a save (the core cannot reach the rows or the survey file itself).
struct OptionsSaveOutcome {
  bool settings_written = false;
  bool evaluate_rows = true;           // every row evaluated again, then the plausibility marks
  bool save_survey = false;            // the command line asked for the settings mode
  std::vector<std::string> not_taken;  // controls whose text could not be stored
};

struct OptionsSaveContext {
  std::filesystem::path settings_file;
  char decimal_separator = '.';
  bool settings_mode = false;    // the command-line mode word contains "SETTINGS"
  Prompter* prompter = nullptr;  // told about texts not stored and a failed write; may be null
};

// `SaveOptionsClick`: the page into the record, then the settings file written.
//  - age group bounds as whole numbers, in order; the first that is not one stops the taking of
//    the rest (the record keeps their old values);
//  - clothes weight as a whole number, 0 when empty; other text keeps the stored weight;
//  - Kandu offsets of magnitude above 10 reset on the page (-3 / 3);
//  - age and height range: the typed value when above 0, else 6, 59.99, 67 and 110;
//  - MUAC cut-offs rounded when above 0, else 115 and 125;
//  - the page shows afterwards what was stored for the ranges and the cut-offs, since the
//    analysis reads them from the page.
// Texts not stored and a failed write are told through the prompter.
OptionsSaveOutcome SaveOptionsClick(OptionsPage& page, SettingsRecord& record,
                                    const OptionsSaveContext& context);

// `ResetOptionsClick`: every setting back to its default except the last folder and the recent
// files, the default office program searched again, the file written, the file association
// installed (`install_association`, may be empty), the page loaded again. The caller marks the
// survey as changed.
struct OptionsResetContext {
  std::filesystem::path settings_file;
  char decimal_separator = '.';
  platform::ProgramSearch search;
  std::function<void()> install_association;
  Prompter* prompter = nullptr;  // told about a failed write; may be null
};
bool ResetOptionsClick(OptionsPage& page, SettingsRecord& record,
                       const OptionsResetContext& context);

// The word processor for "ww" (winword.exe, which Linux does not have) or "oo" (LibreOffice,
// then OpenOffice's swriter); empty when none is found.
std::string find_office_word_processor(std::string_view kind,
                                       const platform::ProgramSearch& search);

// `RadioButton5Click` for "MS-Office" (kind "ww") and "OpenOffice" ("oo"): searches the word
// processor; when found the record and the page take the kind and the path, otherwise nothing
// changes. Returns whether one was found.
bool RadioButton5Click(OptionsPage& page, SettingsRecord& record, std::string_view kind,
                       const platform::ProgramSearch& search);

// On entering the page: the button matching the stored program is selected ("OpenOffice" unless
// the record says "ww") and its search runs as if clicked.
void enter_options_page(OptionsPage& page, SettingsRecord& record,
                        const platform::ProgramSearch& search);

}  // namespace olvar::core
