#include "core/options_page.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/prompter.h"
#include "core/text_conversions.h"

namespace olvar::core {
namespace {

// The age group bounds in record order: start and end of groups 1 to 5.
std::array<std::string*, 10> age_group_fields(OptionsPage& p) {
  return {&p.Edit2, &p.Edit3, &p.Edit4, &p.Edit5,  &p.Edit6,
          &p.Edit7, &p.Edit8, &p.Edit9, &p.Edit10, &p.Edit11};
}
constexpr std::array<const char*, 10> kAgeGroupNames = {
    "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9", "Edit10", "Edit11"};

std::array<std::string*, 12> mortality_fields(OptionsPage& p) {
  return {&p.ma01, &p.ma02, &p.ma03, &p.ma04, &p.ma05, &p.ma06,
          &p.ma07, &p.ma08, &p.ma09, &p.ma10, &p.ma11, &p.ma12};
}

std::string range_text(float value, int decimals, char separator) {
  return format_fixed_trimmed(static_cast<double>(value), 4, decimals, separator);
}

// A range bound as saved: the typed value when it is above 0, else the default.
float positive_or(const std::string& text, float fallback, char separator) {
  const float value = parse_tolerant(text, separator);
  return value > 0.0f ? value : fallback;
}

// A MUAC cut-off as saved: the typed value rounded (half away from zero) when above 0, else the
// default. Text that is not a number counts as not above 0, so it never becomes a cut-off.
std::int32_t cut_off_or(const std::string& text, std::int32_t fallback, char separator) {
  const float value = parse_tolerant(text, separator);
  if (!(value > 0.0f) || value > 1.0e6f) return fallback;
  return static_cast<std::int32_t>(std::lround(value));
}

void tell(Prompter* prompter, const std::string& message) {
  if (prompter) prompter->inform(message);
}

bool write_or_tell(const std::filesystem::path& file, const SettingsRecord& record,
                   Prompter* prompter) {
  try {
    write_settings_file(file, record);
    return true;
  } catch (const SettingsFileError& e) {
    tell(prompter, std::string("The settings could not be saved: ") + e.what());
    return false;
  }
}

}  // namespace

std::vector<std::string> oedema_pick_list(bool oedema_yn) {
  if (oedema_yn) return {"y", "n"};
  return {"0", "1", "2", "3"};
}

std::optional<int> parse_whole_number(std::string_view text) {
  text = trim_spaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

OptionsPage Options_New(const SettingsRecord& r, char separator) {
  OptionsPage p;
  p.autofill_id = r.autofill_id;
  p.autofill_hh = r.autofill_hh;
  p.autofill_cluster = r.autofill_cluster;
  p.autofill_team = r.autofill_team;
  p.autofill_survdate = r.autofill_survdate;
  p.age_by_months = r.age_entry != 'b';
  p.oedema_yn = r.oedema_coding == 'y';
  p.oedema_correction = r.oedema_correction == 'y';
  p.Edit26 = std::to_string(r.clothes_weight_g);
  p.pull_down_entry = r.pull_down_entry;
  p.show_extra_columns = r.show_extra_columns;
  const auto groups = age_group_fields(p);
  for (std::size_t i = 0; i < groups.size(); ++i) *groups[i] = std::to_string(r.age_groups[i]);
  const auto bounds = mortality_fields(p);
  for (std::size_t i = 0; i < bounds.size(); ++i) {
    *bounds[i] = std::to_string(r.mortality_bounds[i]);
  }
  p.zr = r.restrict_age;
  p.zrl = range_text(r.age_from, 2, separator);
  p.zrh = range_text(r.age_to, 2, separator);
  p.zh = r.restrict_height;
  p.zhl = range_text(r.height_from, 1, separator);
  p.zhh = range_text(r.height_to, 1, separator);
  p.exclusion = exclusion_mode_from_code(r.exclusion_mode).value_or(kDefaultExclusionMode);
  p.flags = FlagParameters{};
  p.muac1 = std::to_string(r.muac1);
  p.muac2 = std::to_string(r.muac2);
  p.RadioButton5 = true;
  p.wordprocessor = r.word_processor_path;
  return p;
}

void Edit24Change(OptionsPage& p) {
  const auto fields = age_group_fields(p);
  // End of group k (fields 1, 3, 5, 7) from the start of group k + 1 (fields 2, 4, 6, 8).
  for (std::size_t end = 1; end + 1 < fields.size(); end += 2) {
    if (const auto next_start = parse_whole_number(*fields[end + 1])) {
      *fields[end] = std::to_string(static_cast<long long>(*next_start) - 1);
    }
  }
}

void recompute_mortality_upper_bounds(OptionsPage& p) {
  const auto bounds = mortality_fields(p);
  // Upper bounds of groups 1 to 5 (fields 1, 3, ... 9) from the next lower bound; field 11, the
  // upper bound of group 6, is the user's.
  for (std::size_t upper = 1; upper + 2 < bounds.size(); upper += 2) {
    const float next_lower = parse_tolerant(*bounds[upper + 1]);
    // A bound is a number of years; anything far beyond is no age and is left alone.
    if (next_lower == kUnreadable || !(std::fabs(next_lower) < 1e6f)) continue;
    *bounds[upper] = std::to_string(static_cast<long long>(std::nearbyint(next_lower)) - 1);
  }
}

OptionsSaveOutcome SaveOptionsClick(OptionsPage& p, SettingsRecord& r,
                                    const OptionsSaveContext& context) {
  const char sep = context.decimal_separator;
  OptionsSaveOutcome outcome;

  r.autofill_id = p.autofill_id;
  r.autofill_hh = p.autofill_hh;
  r.autofill_cluster = p.autofill_cluster;
  r.autofill_team = p.autofill_team;
  r.autofill_survdate = p.autofill_survdate;
  r.oedema_coding = p.oedema_yn ? 'y' : ' ';
  r.age_entry = p.age_by_months ? ' ' : 'b';

  const auto groups = age_group_fields(p);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const auto value = parse_whole_number(*groups[i]);
    if (!value) {
      for (std::size_t j = i; j < groups.size(); ++j)
        outcome.not_taken.push_back(kAgeGroupNames[j]);
      break;
    }
    r.age_groups[i] = *value;
  }

  r.oedema_correction = p.oedema_correction ? 'y' : 'n';
  if (trim_spaces(p.Edit26).empty()) {
    r.clothes_weight_g = 0;
  } else if (const auto grams = parse_whole_number(p.Edit26)) {
    r.clothes_weight_g = *grams;
  } else {
    outcome.not_taken.push_back("Edit26");
  }

  p.flags = with_offsets_checked(p.flags, sep);

  r.pull_down_entry = p.pull_down_entry;
  r.exclusion_mode = exclusion_mode_code(p.exclusion);
  r.restrict_age = p.zr;
  r.restrict_height = p.zh;

  r.age_from = positive_or(p.zrl, 6.0f, sep);
  r.age_to = positive_or(p.zrh, 59.99f, sep);
  r.height_from = positive_or(p.zhl, 67.0f, sep);
  r.height_to = positive_or(p.zhh, 110.0f, sep);
  p.zrl = range_text(r.age_from, 2, sep);
  p.zrh = range_text(r.age_to, 2, sep);
  p.zhl = range_text(r.height_from, 1, sep);
  p.zhh = range_text(r.height_to, 1, sep);

  r.muac1 = cut_off_or(p.muac1, 115, sep);
  r.muac2 = cut_off_or(p.muac2, 125, sep);
  p.muac1 = std::to_string(r.muac1);
  p.muac2 = std::to_string(r.muac2);

  r.show_extra_columns = p.show_extra_columns;
  r.word_processor_path = p.wordprocessor;

  if (!outcome.not_taken.empty()) {
    std::string message = "These options are not whole numbers and were not saved:";
    for (const std::string& name : outcome.not_taken) message += " " + name;
    tell(context.prompter, message);
  }
  outcome.settings_written = write_or_tell(context.settings_file, r, context.prompter);
  outcome.evaluate_rows = true;
  outcome.save_survey = context.settings_mode;
  return outcome;
}

bool ResetOptionsClick(OptionsPage& page, SettingsRecord& record,
                       const OptionsResetContext& context) {
  reset_to_defaults(record);
  choose_default_office_program(record, context.search);
  const bool written = write_or_tell(context.settings_file, record, context.prompter);
  if (context.install_association) context.install_association();
  page = Options_New(record, context.decimal_separator);
  return written;
}

std::string find_office_word_processor(std::string_view kind,
                                       const platform::ProgramSearch& search) {
  if (kind == "ww") return platform::FindProgramFile("winword.exe", search);
  if (kind != "oo") return {};
  std::string found = platform::find_libreoffice(search).word_processor();
  if (found.empty()) found = platform::FindProgramFile("swriter", search);
  if (found.empty()) found = platform::FindProgramFile("swriter.exe", search);
  return found;
}

bool RadioButton5Click(OptionsPage& page, SettingsRecord& record, std::string_view kind,
                       const platform::ProgramSearch& search) {
  const std::string found = find_office_word_processor(kind, search);
  if (found.empty()) return false;
  record.office_program = std::string(kind);
  record.word_processor_path = found;
  page.wordprocessor = found;
  page.RadioButton5 = kind == "ww";
  return true;
}

void enter_options_page(OptionsPage& page, SettingsRecord& record,
                        const platform::ProgramSearch& search) {
  const bool ms_office = record.office_program == "ww";
  page.RadioButton5 = ms_office;
  RadioButton5Click(page, record, ms_office ? "ww" : "oo", search);
}

}  // namespace olvar::core
