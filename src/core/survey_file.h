#pragma once
// The survey file (".as"): tab-separated Windows-1252 text with CR LF line ends. A date-order
// line, the Survey table (header line, then one line per child), then the marked sections of the
// other pages, each opened by a line that starts with the byte 0xA5:
//   Planning:, Training_new:, Training_categorical:, Mortality_new:, Mor_individual:,
//   Mor_individual_options:, Results:, Options, Variables
// Every written field is followed by a TAB, except in Mor_individual, whose lines lose their
// trailing TABs.
//
// Reading fills a fresh Workspace that the caller puts in place of the open one only when the
// whole file was read; saving goes through the platform's safe write and keeps the old file as
// "name.bak", so a failed save never leaves a half-written survey nor loses the backup.

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_conventions.h"
#include "core/language_table.h"
#include "core/workspace.h"
#include "platform/safe_write.h"

namespace olvar::core {

class Prompter;

// The message a caller shows for SurveyFileError::Kind::no_header.
inline constexpr LanguageEntry kNoSurveyHeader{851};

// A survey file that could not be read or written. The command boundary shows it (or stays
// silent where the program is meant to); the open survey is unchanged.
class SurveyFileError : public std::runtime_error {
 public:
  enum class Kind {
    cannot_open,   // the file cannot be opened for reading
    no_header,     // no line names WEIGHT, HEIGHT or SEX (Language entry 851)
    cannot_write,  // creating, writing, flushing or renaming failed
  };
  SurveyFileError(Kind kind, std::string file, int line, const std::string& what);
  Kind kind() const { return kind_; }
  const std::string& file() const { return file_; }
  int line() const { return line_; }  // 1-based; 0 when no line is concerned

 private:
  Kind kind_;
  std::string file_;
  int line_;
};

// Evaluates one Survey table row (codes, age, z-scores); supplied by the caller because row
// evaluation lives above this module.
using RowEvaluator = std::function<void(Workspace&, int row)>;

struct SurveyReadContext {
  DateConventions dates;
  RowEvaluator evaluate_row;  // may be empty: rows are then stored as read
  // Shows progress texts ("Reading line 200 of anthropometric data"); may be empty.
  std::function<void(std::string_view caption)> show_progress;
};

// Something the reader could not keep; the file was read otherwise.
struct SurveyReadWarning {
  enum class Kind {
    columns_cut,            // more than 255 variables: only the first 255 were read
    rows_cut,               // more data lines than the table can hold
    unnamed_column,         // values under an empty header field were not read
    repeated_header,        // a repeated name: the earlier field was kept under "_" + name
    mortality_columns_cut,  // individual mortality lines wider than the table can grow
    mortality_rows_cut,     // more mortality lines than the table can hold
    no_date_order,          // the first line is no date order: dates were read day first
    fields_beyond_header,   // data lines with values after the last header field
    lines_after_blank,      // lines after an empty line that ends the children's block
  };
  Kind kind;
  int count = 0;        // columns or lines concerned
  std::string detail;   // names concerned, when any
  std::string message;  // English, for the command-line tool, logs and tests
};

struct SurveyReadResult {
  Workspace workspace;
  std::vector<SurveyReadWarning> warnings;
  // SURVDATE of the first data row as read (the default of the survey-date picker); the caller
  // checks it is a date and otherwise shows the import hint.
  std::string first_survey_date;
};

// `DateiLesen`: reads `file` into `start` (the workspace after the new-survey reset, whose
// option controls the file's Options section can switch on but never off) and returns it.
// Throws SurveyFileError when the file cannot be opened or holds no header line.
SurveyReadResult DateiLesen(const std::filesystem::path& file, Workspace start,
                            const SurveyReadContext& context);
// The same on bytes already in memory; `file_name` becomes the workspace's file name.
SurveyReadResult read_survey_bytes(std::string_view bytes, const std::string& file_name,
                                   Workspace start, const SurveyReadContext& context);

// The bytes of the survey file for `workspace`, dates written in `dates.order`. The header of a
// column that repeats an earlier header is written with "_" in front (see unique_headers).
std::string survey_file_bytes(const Workspace& workspace, const DateConventions& dates);

// The header texts of columns 1 to `last_column` with a "_" put in front of each name that
// equals an earlier one, as often as needed; empty headers stay empty.
std::vector<std::string> unique_headers(const SurveyTable& table, int last_column);

// The last Survey table column a save writes: the second-to-last column (the last stays empty
// as spare), or the last named column when a full table has a name there.
int last_written_column(const SurveyTable& table);
// The rows of the Survey table a save writes: those with anything but SURVDATE and BIRTHDAT.
int written_row_count(const SurveyTable& table);

// Writes `bytes` to `file` through the platform's safe write, keeping the file it replaces as
// "F.bak" (the old backup is replaced only once the new file is in place; a backup that is one
// of `never_replace` is left alone). Throws SurveyFileError (cannot_write) naming the file and
// the system's reason; on failure the old file and its backup stay as they were.
platform::BackupResult write_file_with_backup(
    const std::filesystem::path& file, std::string_view bytes,
    const std::vector<std::filesystem::path>& never_replace = {});

// What a save did; the caller refreshes the window caption and the recent-file list.
struct SaveOutcome {
  bool saved = false;
  bool add_to_recent_files = false;  // a named file (not "noname") was saved
  bool backup_is_input = false;      // "F.bak" is a file being read: no backup was made
  // Texts holding line breaks, TABs or a section marker the file cannot hold, written with
  // blanks and "Y" in their place (cell_text.h) and so changed in the survey too.
  int texts_made_holdable = 0;
};

// What the save commands need besides the workspace.
struct SaveContext {
  const DateConventions& dates;
  const LanguageTable& text;
  Prompter& prompter;
  bool& filter_active;  // a filter of the data entry page is in force
  // Files being read (the input of a conversion): never replaced by the backup.
  std::vector<std::filesystem::path> never_replace = {};
};

// `SaveClick`: saves the workspace to its file name, going through Save as when the survey has
// no name, a filter is active or the file was imported from ".txt". After the save the table
// keeps 100 empty rows after the last row with ID or SEX, and the changed state is cleared
// unless the name contains "noname". Throws SurveyFileError when the file cannot be written;
// the workspace then stays changed.
SaveOutcome SaveClick(Workspace& workspace, const SaveContext& context);
// `Saveas1Click`: asks for a file name (".as" appended when missing), clears the filter mark
// and saves. A cancelled dialog saves nothing.
SaveOutcome Saveas1Click(Workspace& workspace, const SaveContext& context);

}  // namespace olvar::core
