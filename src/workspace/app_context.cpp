#include "workspace/app_context.h"

#include "platform/file_association.h"
#include "platform/folders.h"
#include "workspace/additional_archive.h"

namespace olvar::workspace {

StartUpInputs system_start_up_inputs(int argc, char** argv,
                                     const std::filesystem::path& build_data_folder) {
  StartUpInputs inputs;
  inputs.env = platform::process_environment();
  inputs.executable = platform::current_executable();
  inputs.build_data_folder = build_data_folder;
  for (int i = 1; i < argc; ++i) inputs.arguments.emplace_back(argv[i]);
  inputs.locale = platform::system_locale_formats();
  inputs.today = platform::today_local_date();
  inputs.search = platform::default_program_search(inputs.env);
  inputs.run = [](const platform::ProcessCommand& command, std::string* error) {
    return platform::run_and_wait(command, error);
  };
  return inputs;
}

namespace {

// What both start-ups read: folders, date conventions, output folder, settings (defaults when
// the file is missing or damaged, which `settings_replaced` tells), today and the command line.
AppContext read_start_up(const StartUpInputs& in, bool& settings_replaced) {
  AppContext app;
  app.executable = in.executable;
  app.folders.program = platform::find_program_folder(in.env, in.executable, in.build_data_folder);
  app.folders.writable = platform::writable_data_folder(in.env, app.folders.program);
  app.dates = core::conventions_from_locale(in.locale);
  app.output_folder = platform::documents_folder(in.env);
  if (app.output_folder.empty()) app.output_folder = app.folders.writable;
  const core::SettingsLocation location =
      core::settings_location(app.folders.program, app.folders.writable);
  app.settings_file = location.write_to;
  core::SettingsRead read = core::read_settings_file(location.read_from);
  app.settings = std::move(read.record);
  settings_replaced = read.replaced;
  app.settings.second_relay_option = ' ';
  app.today = in.today;
  app.command_line = parse_command_line(in.arguments);
  return app;
}

}  // namespace

AppContext start_up(const StartUpInputs& in) {
  bool settings_replaced = false;
  AppContext app = read_start_up(in, settings_replaced);
  if (settings_replaced) {
    core::choose_default_office_program(app.settings, in.search);
    try {
      core::write_settings_file(app.settings_file, app.settings);
    } catch (const core::SettingsFileError& e) {
      app.startup_messages.push_back(std::string("The settings could not be saved: ") + e.what());
    }
    const platform::FileAssociationResult association =
        platform::install_file_association(in.env, in.executable, in.search, in.run);
    if (!association.error.empty()) {
      app.startup_messages.push_back("Survey files could not be associated with the program: " +
                                     association.error);
    }
  }
  const ArchiveUnpackResult unpacked = unpack_additional_archive(app.folders, in.run);
  if (!unpacked.error.empty()) app.startup_messages.push_back(unpacked.error);
  return app;
}

AppContext start_up_read_only(const StartUpInputs& in) {
  bool settings_replaced = false;
  return read_start_up(in, settings_replaced);
}

}  // namespace olvar::workspace
