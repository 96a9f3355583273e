#include "workspace/command_line_mode.h"

#include <gtest/gtest.h>

#include <string>

namespace olvar::workspace {
namespace {

// The visible tabs in page order, as short names.
std::string visible_tabs(const WindowMode& m) {
  std::string s;
  auto add = [&](bool shown, const char* name) {
    if (!shown) return;
    if (!s.empty()) s += ' ';
    s += name;
  };
  add(m.tab_planning, "planning");
  add(m.tab_training, "training");
  add(m.tab_data_entry, "entry");
  add(m.tab_results, "results");
  add(m.tab_death_rates, "deaths");
  add(m.tab_food_security, "food");
  add(m.tab_options, "options");
  return s;
}

bool all_option_groups(const WindowMode& m, bool shown) {
  return m.group_autofill == shown && m.group_age_entry == shown &&
         m.group_data_entry_mode == shown && m.group_clothes_weight == shown &&
         m.group_oedema_correction == shown && m.group_extra_columns == shown &&
         m.group_output_program == shown;
}

struct ModeCase {
  const char* word;
  const char* tabs;
  bool menus;  // Files and Extras shown
  bool option_groups;
  bool save_button;
  bool takeover_button;
  std::optional<SurveyPage> page;
  ModeAction action;
  bool every_activation;
  bool saves_survey;
};

constexpr const char* kAllTabs = "planning training entry results deaths food options";

TEST(WindowModeFor, FollowsTheModeWordTable) {
  const ModeCase cases[] = {
      {"", kAllTabs, true, true, true, true, std::nullopt, ModeAction::none, false, false},
      {"PLAUSIBILITY", kAllTabs, true, true, true, true, std::nullopt,
       ModeAction::plausibility_report_then_exit, false, false},
      {"plausibility", kAllTabs, true, true, true, true, std::nullopt,
       ModeAction::plausibility_report_then_exit, false, false},
      {"PLAUSIBILITY2", kAllTabs, true, true, true, true, std::nullopt, ModeAction::none, false,
       false},
      {"ANALYSIS", kAllTabs, true, true, true, true, std::nullopt,
       ModeAction::batch_analysis_then_exit, false, false},
      {"Analysis", kAllTabs, true, true, true, true, std::nullopt,
       ModeAction::batch_analysis_then_exit, false, false},
      {"REPORT", "results", true, true, true, true, SurveyPage::results, ModeAction::none, false,
       false},
      {"REPORTS", kAllTabs, true, true, true, true, std::nullopt, ModeAction::none, false, false},
      {"SETTINGS", "planning training options", false, false, false, true, SurveyPage::options,
       ModeAction::none, true, true},
      {"settings2", "planning training options", false, false, false, true, SurveyPage::planning,
       ModeAction::none, true, true},
      {"SETTINGS3", "planning training options", false, false, false, true, SurveyPage::training,
       ModeAction::none, true, true},
      {"SETTINGS_M", "planning", false, false, false, true, SurveyPage::planning, ModeAction::none,
       true, true},
      {"MYSETTINGSX", "planning training options", false, false, false, true, std::nullopt,
       ModeAction::none, true, true},
      {"GRAPHS", "results food", false, true, true, true, std::nullopt, ModeAction::none, true,
       false},
      {"graphs2", "results food", false, true, true, true, std::nullopt, ModeAction::none, true,
       false},
      {"MORTALITY", "food", false, true, false, false, SurveyPage::death_rates, ModeAction::none,
       true, false},
      {"NOTHING", kAllTabs, true, true, true, true, std::nullopt, ModeAction::none, false, false},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.word);
    const WindowMode m = window_mode_for(c.word);
    EXPECT_EQ(visible_tabs(m), c.tabs);
    EXPECT_EQ(m.menu_files, c.menus);
    EXPECT_EQ(m.menu_extras, c.menus);
    EXPECT_TRUE(all_option_groups(m, c.option_groups));
    EXPECT_EQ(m.save_button_enabled, c.save_button);
    EXPECT_EQ(m.household_takeover_button, c.takeover_button);
    EXPECT_EQ(m.show_page, c.page);
    EXPECT_EQ(m.action, c.action);
    EXPECT_EQ(m.every_activation, c.every_activation);
    EXPECT_EQ(m.options_save_saves_survey, c.saves_survey);
  }
}

TEST(WindowModeFor, SeveralWordsInOneAllApply) {
  // SETTINGS hides entry, results, deaths and food; GRAPHS then hides planning, training and
  // options too.
  const WindowMode m = window_mode_for("SETTINGS_GRAPHS");
  EXPECT_EQ(visible_tabs(m), "");
  EXPECT_TRUE(m.options_save_saves_survey);
  EXPECT_FALSE(m.save_button_enabled);
}

TEST(WindowModeAtActivation, ExactWordsActOnlyTheFirstTime) {
  struct Case {
    const char* word;
    bool acts_again;
  };
  const Case cases[] = {{"PLAUSIBILITY", false}, {"REPORT", false}, {"ANALYSIS", false},
                        {"SETTINGS2", true},     {"GRAPHS", true},  {"MORTALITY", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(window_mode_at_activation(c.word, true), window_mode_for(c.word));
    EXPECT_EQ(window_mode_at_activation(c.word, false) == window_mode_for(c.word), c.acts_again);
    if (!c.acts_again) {
      EXPECT_EQ(window_mode_at_activation(c.word, false), WindowMode{});
    }
  }
}

TEST(ParseCommandLine, FileThenModeWord) {
  CommandLine line = parse_command_line({});
  EXPECT_FALSE(line.survey_file);
  EXPECT_EQ(line.mode_word, "");
  line = parse_command_line({"/data/my survey.as"});
  EXPECT_EQ(line.survey_file, "/data/my survey.as");
  EXPECT_EQ(line.mode_word, "");
  line = parse_command_line({"/data/s.as", "Settings2", "ignored"});
  EXPECT_EQ(line.survey_file, "/data/s.as");
  EXPECT_EQ(line.mode_word, "Settings2");
  EXPECT_EQ(window_mode_for(line.mode_word).show_page, SurveyPage::planning);
}

}  // namespace
}  // namespace olvar::workspace
