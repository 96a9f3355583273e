#include "workspace/command_line_mode.h"

#include <cctype>

namespace olvar::workspace {
namespace {

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

void hide_options_groups(WindowMode& m) {
  m.group_autofill = false;
  m.group_age_entry = false;
  m.group_data_entry_mode = false;
  m.group_clothes_weight = false;
  m.group_oedema_correction = false;
  m.group_extra_columns = false;
  m.group_output_program = false;
}

}  // namespace

WindowMode window_mode_for(std::string_view argument2) {
  const std::string word = upper(argument2);
  WindowMode m;
  if (word == "PLAUSIBILITY") {
    m.action = ModeAction::plausibility_report_then_exit;
    return m;
  }
  if (word == "ANALYSIS") {
    m.action = ModeAction::batch_analysis_then_exit;
    return m;
  }
  if (word == "REPORT") {
    m.tab_data_entry = false;
    m.tab_death_rates = false;
    m.tab_food_security = false;
    m.tab_options = false;
    m.tab_planning = false;
    m.tab_training = false;
    m.show_page = SurveyPage::results;
    return m;
  }
  if (contains(word, "SETTINGS")) {
    m.every_activation = true;
    m.tab_data_entry = false;
    m.tab_results = false;
    m.tab_death_rates = false;
    m.tab_food_security = false;
    m.menu_files = false;
    m.menu_extras = false;
    hide_options_groups(m);
    m.save_button_enabled = false;
    m.options_save_saves_survey = true;
    if (word == "SETTINGS") m.show_page = SurveyPage::options;
    if (word == "SETTINGS2") m.show_page = SurveyPage::planning;
    if (word == "SETTINGS3") m.show_page = SurveyPage::training;
    if (word == "SETTINGS_M") {
      m.tab_training = false;
      m.tab_options = false;
      m.show_page = SurveyPage::planning;
    }
  }
  if (contains(word, "GRAPHS")) {
    m.every_activation = true;
    m.tab_data_entry = false;
    m.tab_death_rates = false;
    m.tab_planning = false;
    m.tab_training = false;
    m.tab_options = false;
    m.menu_files = false;
    m.menu_extras = false;
  }
  if (contains(word, "MORTALITY")) {
    m.every_activation = true;
    m.tab_data_entry = false;
    m.tab_results = false;
    m.tab_training = false;
    m.tab_planning = false;
    m.tab_options = false;
    m.tab_death_rates = false;
    m.menu_files = false;
    m.menu_extras = false;
    m.show_page = SurveyPage::death_rates;
    m.household_takeover_button = false;
    m.save_button_enabled = false;
  }
  return m;
}

WindowMode window_mode_at_activation(std::string_view argument2, bool first_activation) {
  WindowMode mode = window_mode_for(argument2);
  if (first_activation || mode.every_activation) return mode;
  return WindowMode{};
}

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (!arguments.empty() && !arguments[0].empty()) line.survey_file = arguments[0];
  if (arguments.size() > 1) line.mode_word = arguments[1];
  return line;
}

}  // namespace olvar::workspace
