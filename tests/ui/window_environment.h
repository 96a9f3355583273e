#pragma once
// The process-wide things the survey window reads, as start-up would leave them, with every
// file the window writes kept in a temporary folder and no program ever started.

#include <memory>
#include <optional>
#include <string>

#include "anthro/who_reference.h"
#include "workspace/app_context.h"
#include "core/language_table.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/survey_window.h"

namespace olvar::ui {

struct WindowEnvironment {
  WindowEnvironment()
      : text(core::LanguageTable::load(OLVAR_BUILD_DATA_DIR)),
        who(anthro::WhoReference::load(test::build_data_path(anthro::kWhoTableFileName))) {
    app.folders = {OLVAR_BUILD_DATA_DIR, temp.path()};
    app.output_folder = temp.path();
    app.settings_file = temp / "winpellan.ini";
    app.dates = {core::DateOrder::dmy, '.', '.'};
    app.today = {2026, 12, 10};
    app.text = &text;
    app.who = &who;
    inputs.env = [](const std::string&) { return std::optional<std::string>(); };
    inputs.run = [](const platform::ProcessCommand&, std::string*) { return 0; };
  }

  // A survey window over this environment whose questions the scripted prompter answers.
  std::unique_ptr<SurveyWindow> make_window() {
    auto window = std::make_unique<SurveyWindow>(app, inputs);
    window->set_prompter(&prompter);
    return window;
  }

  test::TempFolder temp;
  core::LanguageTable text;
  anthro::WhoReference who;
  workspace::AppContext app;
  workspace::StartUpInputs inputs;
  test::ScriptedPrompter prompter;
};

}  // namespace olvar::ui
