#pragma once
// The command line of the desktop program: argument 1 a survey file to open, argument 2 a mode
// word that runs a report and ends the program, or limits the survey window to some pages.
//   olvar survey.as PLAUSIBILITY      olvar survey.as SETTINGS2
// The word is compared in upper case. "PLAUSIBILITY", "REPORT" and "ANALYSIS" must match exactly
// and act at the first activation of the window only; words containing "SETTINGS", "GRAPHS" or
// "MORTALITY" act at every activation, and several of them in one word all apply, in that order.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::workspace {

// The pages of the survey window.
enum class SurveyPage {
  planning,
  training,
  data_entry,  // Data Entry Anthropometry
  results,     // Results Anthropometry
  death_rates,
  food_security,
  options,
};

// What the mode word runs.
enum class ModeAction {
  none,
  plausibility_report_then_exit,  // plausibility check report, then the program ends
  batch_analysis_then_exit,       // batch analysis, then the program ends
};

// Which parts of the survey window are visible and which action runs. Everything visible and no
// action is the ordinary window.
struct WindowMode {
  bool tab_planning = true;
  bool tab_training = true;
  bool tab_data_entry = true;
  bool tab_results = true;
  bool tab_death_rates = true;
  bool tab_food_security = true;
  bool tab_options = true;
  bool menu_files = true;
  bool menu_extras = true;
  // Option groups of the Options page.
  bool group_autofill = true;
  bool group_age_entry = true;
  bool group_data_entry_mode = true;
  bool group_clothes_weight = true;
  bool group_oedema_correction = true;
  bool group_extra_columns = true;
  bool group_output_program = true;
  bool save_button_enabled = true;
  bool household_takeover_button = true;  // takes over household and cluster numbers
  std::optional<SurveyPage> show_page;    // the page brought to front
  ModeAction action = ModeAction::none;
  bool every_activation = false;           // false: acted on at the first activation only
  bool options_save_saves_survey = false;  // saving the options also saves the survey file

  friend bool operator==(const WindowMode&, const WindowMode&) = default;
};

// The mode for a mode word (empty: the ordinary window).
WindowMode window_mode_for(std::string_view argument2);

// The mode to apply when the window is activated: window_mode_for(argument2) at the first
// activation and, for the words that apply every time, at later ones; the ordinary window
// (nothing to change) otherwise.
WindowMode window_mode_at_activation(std::string_view argument2, bool first_activation);

struct CommandLine {
  std::optional<std::string> survey_file;  // argument 1
  std::string mode_word;                   // argument 2, as given; empty when absent
};

// The arguments after the program name.
CommandLine parse_command_line(const std::vector<std::string>& arguments);

}  // namespace olvar::workspace
