#include "platform/file_association.h"

#include "platform/safe_write.h"

#include <fstream>
#include <system_error>

namespace olvar::platform {
namespace fs = std::filesystem;

namespace {

bool write_file(const fs::path& file, const std::string& text, std::string& error) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  try {
    write_file_safely(file, text);
  } catch (const WriteFailure& e) {
    error = e.what();
    return false;
  }
  return true;
}

void run_tool(const char* name, const fs::path& folder, const ProgramSearch& tools,
              const CommandRunner& run, std::string& error) {
  const std::string tool = FindProgramFile(name, tools);
  if (tool.empty() || !run) return;
  std::string why;
  const int status = run(ProcessCommand{tool, {folder.string()}, WindowMode::hidden}, &why);
  if (status != 0 && error.empty()) {
    error = std::string(name) + " failed" + (why.empty() ? "" : ": " + why);
  }
}

}  // namespace

FileAssociationPaths file_association_paths(const EnvironmentLookup& env) {
  FileAssociationPaths paths;
  if (auto data_home = non_empty(env, "XDG_DATA_HOME")) {
    paths.data_home = *data_home;
  } else if (auto home = non_empty(env, "HOME")) {
    paths.data_home = fs::path(*home) / ".local" / "share";
  } else {
    return paths;
  }
  paths.mime_package = paths.data_home / "mime" / "packages" / "olvar-survey.xml";
  paths.desktop_entry = paths.data_home / "applications" / "olvar.desktop";
  return paths;
}

std::string survey_mime_type_xml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" +
         std::string(kSurveyMimeType) +
         "\">\n"
         "    <comment>Olvar Surveys</comment>\n"
         "    <glob pattern=\"*.as\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string desktop_exec_argument(std::string_view path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string escaped;
  for (char c : quoted) {
    if (c == '\\') escaped += '\\';
    if (c == '%') escaped += '%';
    escaped += c;
  }
  return escaped;
}

std::string desktop_entry_text(const fs::path& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Olvar\n"
         "Comment=Nutrition and mortality surveys\n"
         "Exec=" +
         desktop_exec_argument(executable.string()) +
         " %f\n"
         "MimeType=" +
         std::string(kSurveyMimeType) +
         ";\n"
         "Terminal=false\n"
         "Categories=Science;Education;\n";
}

FileAssociationResult install_file_association(const EnvironmentLookup& env,
                                               const fs::path& executable,
                                               const ProgramSearch& tools,
                                               const CommandRunner& run) {
  FileAssociationResult result;
  const FileAssociationPaths paths = file_association_paths(env);
  if (paths.data_home.empty()) {
    result.error = "the file association needs XDG_DATA_HOME or HOME";
    return result;
  }
  if (executable.empty()) {
    result.error = "the program's own path is unknown, so .as files cannot be associated";
    return result;
  }
  if (!write_file(paths.mime_package, survey_mime_type_xml(), result.error) ||
      !write_file(paths.desktop_entry, desktop_entry_text(executable), result.error)) {
    return result;
  }
  result.installed = true;
  run_tool("update-mime-database", paths.data_home / "mime", tools, run, result.error);
  run_tool("update-desktop-database", paths.data_home / "applications", tools, run, result.error);
  return result;
}

}  // namespace olvar::platform
