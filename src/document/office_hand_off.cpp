#include "document/office_hand_off.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/folders.h"
#include "platform/safe_write.h"

namespace olvar::document {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The program's file name, lower case and without ".exe", whatever the path's separators:
// a path typed on Windows ("C:\Office\WINWORD.EXE") may reach us in a settings record.
std::string program_name(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() > 4 && name.ends_with(".exe")) name.resize(name.size() - 4);
  return name;
}

bool is_libreoffice(std::string_view path) {
  static constexpr std::array<std::string_view, 10> kNames = {
      "soffice", "soffice.bin", "libreoffice", "lowriter", "localc",
      "swriter", "scalc",       "ooffice",     "oowriter", "oocalc"};
  const std::string name = program_name(path);
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// The path cut where `program` (upper case) starts in it, followed by `replacement`; only the
// replacement when the program's name is not in the path.
std::string replace_program(std::string_view path, std::string_view program,
                            std::string_view replacement) {
  const std::size_t at = upper(path).rfind(program);
  if (at == std::string::npos) return std::string(replacement);
  return std::string(path.substr(0, at)) + std::string(replacement);
}

bool is_folder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec);
}

void require_report_folder(const fs::path& folder) {
  if (folder.empty() || !is_folder(folder)) {
    throw HandOffError(
        "The report folder \"" + folder.string() + "\" does not exist; no document was written.",
        folder);
  }
}

bool locked_by_libreoffice(const fs::path& file) {
  std::error_code ec;
  const fs::path lock = file.parent_path() / (".~lock." + file.filename().string() + "#");
  return fs::exists(lock, ec);
}

std::string message(const HandOffServices& services, int entry) {
  if (services.language_text) return services.language_text(entry);
  return "Language entry " + std::to_string(entry);
}

bool start(HandOffServices& services, const platform::ProcessCommand& command) {
  return services.launcher.start(command).started;
}

// The relay program reads the report folder (with its trailing separator, as it always had one),
// the second relay option and the relay text.
bool write_relay_file(const OutputSettings& settings, const fs::path& report_folder) {
  std::string folder = report_folder.string();
  if (!folder.empty() && folder.back() != static_cast<char>(fs::path::preferred_separator)) {
    folder.push_back(static_cast<char>(fs::path::preferred_separator));
  }
  const std::string text = folder + std::string(kLineBreak) + settings.second_relay_option +
                           std::string(kLineBreak) + settings.relay_text + std::string(kLineBreak);
  try {
    platform::write_file_safely(report_folder / "zwischen.dat", text);
  } catch (const platform::WriteFailure&) {
    return false;
  }
  return true;
}

// The document's file: under its own name when the caller named it, else the next free number.
fs::path write_document(const OutputFolders& folders, std::string_view prefix,
                        std::string_view extension, std::string_view contents) {
  if (!folders.naming) return write_numbered_file(folders.report_folder, prefix, contents);
  return write_new_document(reports_folder(folders.naming->survey_file, folders.report_folder),
                            document_base_name(*folders.naming), extension, contents);
}

bool is_table_file(const fs::path& file) {
  const std::string name = file.filename().string();
  return file.extension() == kTableExtension || (name.starts_with("excel") && file.extension() == ".txt");
}

}  // namespace

OutputFolders output_folders(const fs::path& program_folder,
                             const platform::EnvironmentLookup& env) {
  OutputFolders folders;
  folders.program_folder = program_folder;
  folders.writable_folder = platform::writable_data_folder(env, program_folder);
  folders.report_folder = platform::documents_folder(env);
  if (folders.report_folder.empty()) folders.report_folder = folders.writable_folder;
  return folders;
}

fs::path write_numbered_file(const fs::path& folder, std::string_view prefix,
                             std::string_view contents, int max_files) {
  require_report_folder(folder);
  for (int n = 1; n <= max_files; ++n) {
    const fs::path file = folder / (std::string(prefix) + std::to_string(n) + ".txt");
    if (locked_by_libreoffice(file)) continue;
    std::error_code ec;
    if (fs::exists(file, ec) && !fs::is_regular_file(file, ec)) continue;
    try {
      platform::write_file_safely(file, contents);
    } catch (const platform::WriteFailure& e) {
      throw HandOffError(std::string("Writing the document failed: ") + e.what() + ".", folder);
    }
    return file;
  }
  throw HandOffError("No document can be created in \"" + folder.string() +
                         "\": " + std::string(prefix) + "1.txt to " + std::string(prefix) +
                         std::to_string(max_files) +
                         ".txt are all in use or the folder is not writable.",
                     folder);
}

platform::ProcessCommand word_processor_command(std::string_view word_processor_path,
                                                const fs::path& file, OpenedAs as) {
  platform::ProcessCommand command;
  command.program = std::string(word_processor_path);
  if (is_libreoffice(word_processor_path)) {
    command.arguments.push_back("--writer");
    if (as == OpenedAs::rtf_document) command.arguments.emplace_back(kWriterRtfFilter);
  }
  command.arguments.push_back(file.string());
  return command;
}

platform::ProcessCommand spreadsheet_command(std::string_view kind,
                                             std::string_view word_processor_path,
                                             const fs::path& file) {
  platform::ProcessCommand command;
  if (is_libreoffice(word_processor_path)) {
    const std::string name = program_name(word_processor_path);
    const bool windows_name = upper(word_processor_path).ends_with(".EXE");
    if (name == "swriter") {
      command.program =
          replace_program(word_processor_path, "SWRITER", windows_name ? "scalc.exe" : "scalc");
    } else if (name == "lowriter") {
      command.program = replace_program(word_processor_path, "LOWRITER", "localc");
    } else if (name == "oowriter") {
      command.program = replace_program(word_processor_path, "OOWRITER", "oocalc");
    } else {
      command.program = std::string(word_processor_path);
    }
    command.arguments = {"--calc", std::string(kCalcTabTextFilter)};
  } else if (kind == kOpenOffice) {
    command.program = replace_program(word_processor_path, "SWRITER.EXE", "scalc.exe");
  } else {
    command.program = replace_program(word_processor_path, "WINWORD.EXE", "excel.exe");
  }
  command.arguments.push_back(file.string());
  return command;
}

namespace {

HandOffResult open_rtf_document(HandOffResult result, const OutputSettings& settings,
                                const OutputFolders& folders, HandOffServices& services) {
  const bool open_office = settings.kind == kOpenOffice;
  bool started = false;
  if (!open_office && settings.uses_relay()) {
    if (write_relay_file(settings, result.file.parent_path())) {
      started = start(
          services,
          {(folders.program_folder / "ausgabe.exe").string(), {}, platform::WindowMode::hidden});
    }
    if (started) result.outcome = HandOffOutcome::relay;
  } else {
    started = start(services, word_processor_command(settings.word_processor_path, result.file,
                                                     OpenedAs::rtf_document));
    if (started) result.outcome = HandOffOutcome::word_processor;
  }
  if (!started) {
    services.prompter.inform(
        message(services, open_office ? kMessageOpenOfficeFailed : kMessageWordProcessorFailed));
    services.editor.open_report_editor(result.file);
    result.outcome = HandOffOutcome::report_editor;
  }
  return result;
}

HandOffResult open_table(HandOffResult result, std::string_view table,
                         const OutputSettings& settings, const OutputFolders& folders,
                         HandOffServices& services) {
  if (start(services,
            spreadsheet_command(settings.kind, settings.word_processor_path, result.file))) {
    result.outcome = HandOffOutcome::spreadsheet;
    return result;
  }
  if (start(services,
            word_processor_command(settings.word_processor_path, result.file, OpenedAs::table))) {
    result.outcome = HandOffOutcome::word_processor;
    return result;
  }

  services.prompter.inform(message(services, kMessageNoProgramForTable));
  // The report editor shows noname.rtf; the table is copied there and also stays in the report
  // folder, where the user expects it.
  const fs::path editor_file = folders.writable_folder / "noname.rtf";
  bool copied = false;
  if (!folders.writable_folder.empty()) {
    try {
      platform::write_file_safely(editor_file, table);
      copied = true;
    } catch (const platform::WriteFailure&) {
      // The editor then shows the table where it was written.
    }
  }
  services.editor.open_report_editor(copied ? editor_file : result.file);
  result.outcome = HandOffOutcome::report_editor;
  return result;
}

}  // namespace

HandOffResult WriteReportDocument(const DocumentBuffer& buffer, const OutputSettings& settings,
                                  const OutputFolders& folders, HandOffServices& services) {
  std::string document = buffer.text();
  document += rtf::kDocumentEnd;
  document += kLineBreak;
  HandOffResult result;
  result.file = write_document(folders, "noname", kRtfExtension, document);
  return open_rtf_document(std::move(result), settings, folders, services);
}

HandOffResult HandToSpreadsheet(const DocumentBuffer& buffer, const OutputSettings& settings,
                                const OutputFolders& folders, HandOffServices& services) {
  std::string table = buffer.text();
  table += kLineBreak;
  HandOffResult result;
  result.file = write_document(folders, "excel", kTableExtension, table);
  return open_table(std::move(result), table, settings, folders, services);
}

HandOffResult ReopenDocument(const fs::path& file, const OutputSettings& settings,
                             const OutputFolders& folders, HandOffServices& services) {
  HandOffResult result;
  result.file = file;
  if (!is_table_file(file)) return open_rtf_document(std::move(result), settings, folders, services);
  std::string table;
  if (std::ifstream in{file, std::ios::binary}) {
    table.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return open_table(std::move(result), table, settings, folders, services);
}

}  // namespace olvar::document
