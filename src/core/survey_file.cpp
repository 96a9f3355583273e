#include "core/survey_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/cell_text.h"
#include "core/language_table.h"
#include "core/prompter.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "platform/safe_write.h"

namespace olvar::core {

namespace {

constexpr char kMarkerByte = '\xA5';
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kTrainingFirstRow = 2;
constexpr int kTrainingRows = 100;
constexpr int kTrainingContinuousFields = 126;
constexpr int kTrainingCategoricalFields = 21;
constexpr int kOldTrainingRows = 10;
constexpr int kOldTrainingGroups = 20;
constexpr int kHouseholdFields = 11;
constexpr int kOldHouseholdFields = 10;
constexpr int kMortalityFirstAdditionalColumn = 165;
// Individual mortality lines are as wide as their variables; beyond this the table would cost
// memory without holding anything a page shows.
constexpr int kMaxMortalityColumns = 255;
constexpr int kVariableViewFields = 11;
constexpr int kVariableViewRows = 255;
constexpr int kProgressStep = 100;

constexpr LanguageEntry kSaveWhileFiltered{853};
constexpr LanguageEntry kSaveAsHint{854};
constexpr LanguageEntry kTextMadeHoldable{1471};

// ---------------------------------------------------------------------------------------------
// Lines and fields

std::vector<std::string_view> split_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const auto end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}

// The fields of a line: each text ended by a TAB, and the rest after the last TAB when it is
// not empty. So "a\tb\t" and "a\tb" both hold two fields, "a\t\t" holds two ("a" and ""), and
// a field counts as present exactly when the writer put it there.
class FieldReader {
 public:
  explicit FieldReader(std::string_view line) : rest_(line) {}
  bool next(std::string_view& field) {
    if (rest_.empty()) return false;
    const auto tab = rest_.find('\t');
    field = rest_.substr(0, tab);
    rest_.remove_prefix(tab == std::string_view::npos ? rest_.size() : tab + 1);
    return true;
  }

 private:
  std::string_view rest_;
};

std::vector<std::string_view> fields_of(std::string_view line, std::size_t at_most) {
  std::vector<std::string_view> fields;
  FieldReader reader(line);
  std::string_view field;
  while (fields.size() < at_most && reader.next(field)) fields.push_back(field);
  return fields;
}

std::string_view first_field(std::string_view line) {
  std::string_view field;
  FieldReader reader(line);
  return reader.next(field) ? field : std::string_view();
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upper_cased(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), ascii_upper);
  return upper;
}

bool contains_upper(std::string_view line, std::string_view upper_word) {
  if (line.size() < upper_word.size()) return false;
  for (std::size_t i = 0; i + upper_word.size() <= line.size(); ++i) {
    std::size_t k = 0;
    while (k < upper_word.size() && ascii_upper(line[i + k]) == upper_word[k]) ++k;
    if (k == upper_word.size()) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Section markers

enum class Marker {
  none,
  planning,
  training_new,
  training_old,
  training_categorical,
  mortality_new,
  mortality_old,
  mor_individual,
  mor_individual_options,
  results,
  options,
  variables
};

// The section a line opens: the byte 0xA5 followed by a section name. A longer name wins over
// its prefix, so "Training_categorical" is never taken for the old "Training" section and
// "Mor_individual_options" never for "Mor_individual", whatever sections a file lacks.
Marker marker_of(std::string_view line) {
  struct Name {
    std::string_view text;
    Marker marker;
  };
  static constexpr std::array<Name, 9> kNames = {{
      {"Mor_individual_options", Marker::mor_individual_options},
      {"Training_categorical", Marker::training_categorical},
      {"Mor_individual", Marker::mor_individual},
      {"Variables", Marker::variables},
      {"Mortality", Marker::mortality_old},
      {"Planning", Marker::planning},
      {"Training", Marker::training_old},
      {"Results", Marker::results},
      {"Options", Marker::options},
  }};
  for (auto at = line.find(kMarkerByte); at != std::string_view::npos;
       at = line.find(kMarkerByte, at + 1)) {
    const std::string_view after = line.substr(at + 1);
    for (const Name& name : kNames) {
      if (after.substr(0, name.text.size()) != name.text) continue;
      // Older files have "Training" and "Mortality" sections in another layout; the marker of
      // the present one names it "new".
      if (name.marker == Marker::training_old && contains(line, "new")) return Marker::training_new;
      if (name.marker == Marker::mortality_old && contains(line, "new")) {
        return Marker::mortality_new;
      }
      return name.marker;
    }
  }
  return Marker::none;
}

struct Section {
  bool found = false;
  Marker marker = Marker::none;
  std::vector<std::string_view> lines;  // the lines after the marker up to the next marker
};

class SectionIndex {
 public:
  // Lines `first_data` up to `end_of_data` are the children's block: a cell there that reads as
  // a section name (written before such text was guarded) is data, not a section.
  SectionIndex(const std::vector<std::string_view>& lines, std::size_t first_data,
               std::size_t end_of_data)
      : lines_(lines) {
    markers_.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      markers_.push_back(i >= first_data && i < end_of_data ? Marker::none : marker_of(lines[i]));
    }
  }
  // The first section (from the start of the file) opened by one of `wanted`.
  Section find(std::initializer_list<Marker> wanted) const {
    Section section;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (std::find(wanted.begin(), wanted.end(), markers_[i]) == wanted.end()) continue;
      section.found = true;
      section.marker = markers_[i];
      for (std::size_t k = i + 1; k < lines_.size() && markers_[k] == Marker::none; ++k) {
        section.lines.push_back(lines_[k]);
      }
      break;
    }
    return section;
  }

 private:
  const std::vector<std::string_view>& lines_;
  std::vector<Marker> markers_;
};

// Grows `grid` so that it has at least `columns` columns and `rows` rows.
void grow_to(TextGrid& grid, int columns, int rows) {
  if (columns > grid.column_count() || rows > grid.row_count()) {
    grid.resize(std::max(columns, grid.column_count()), std::max(rows, grid.row_count()));
  }
}

// ---------------------------------------------------------------------------------------------
// Reading the anthropometric block

struct ColumnMap {
  std::vector<std::string> slot_names{1};  // slot 0 unused; slots 1 to 19 the standard names
  std::vector<int> slot_of_field;          // field position -> slot, -1 when not read
  std::vector<int> unnamed_fields;         // positions of empty header fields
  int header_fields = 0;                   // fields of the header line
};

void add_warning(std::vector<SurveyReadWarning>& warnings, SurveyReadWarning::Kind kind, int count,
                 std::string detail, std::string message) {
  warnings.push_back({kind, count, std::move(detail), std::move(message)});
}

ColumnMap map_columns(std::string_view header, std::vector<SurveyReadWarning>& warnings) {
  ColumnMap map;
  std::unordered_map<std::string, int> slot_by_name;
  std::vector<int> field_of_slot{-1};
  for (int k = 1; k <= kStandardVariableCount; ++k) {
    map.slot_names.emplace_back(kStandardHeaders[static_cast<std::size_t>(k)]);
    slot_by_name.emplace(map.slot_names.back(), k);
    field_of_slot.push_back(-1);
  }

  std::string cut_names;
  int cut_count = 0;
  std::string repeated_names;
  int repeated_count = 0;
  auto new_slot = [&](std::string name, int field) {
    if (static_cast<int>(map.slot_names.size()) > kMaxVariableColumns) {
      ++cut_count;
      if (cut_count <= 10) cut_names += (cut_names.empty() ? "" : ", ") + name;
      return;
    }
    slot_by_name[name] = static_cast<int>(map.slot_names.size());
    map.slot_names.push_back(std::move(name));
    field_of_slot.push_back(field);
  };

  FieldReader reader(header);
  std::string_view field;
  for (int position = 0; reader.next(field); ++position) {
    map.header_fields = position + 1;
    std::string name = upper_cased(field);
    if (name.empty()) {
      // A nameless column has no slot: reading its values into a variable called "" would make
      // every save add one more such column.
      map.unnamed_fields.push_back(position);
      continue;
    }
    const auto known = slot_by_name.find(name);
    if (known == slot_by_name.end()) {
      new_slot(std::move(name), position);
      continue;
    }
    const int slot = known->second;
    if (field_of_slot[static_cast<std::size_t>(slot)] >= 0 &&
        static_cast<int>(map.slot_names.size()) > kMaxVariableColumns) {
      // No room for the earlier field under another name: it is cut like any column beyond the
      // table (and a header of one name repeated a million times costs no search for a name).
      ++cut_count;
      if (cut_count <= 10) cut_names += (cut_names.empty() ? "" : ", ") + name;
    } else if (field_of_slot[static_cast<std::size_t>(slot)] >= 0) {
      // A repeated name: the later field keeps the name (as it always did), and the earlier one
      // is kept under "_" + name, the name a save gives it, instead of being dropped.
      std::string renamed = "_" + name;
      while (slot_by_name.count(renamed) != 0) renamed = "_" + renamed;
      ++repeated_count;
      if (repeated_count <= 10) repeated_names += (repeated_names.empty() ? "" : ", ") + name;
      new_slot(std::move(renamed), field_of_slot[static_cast<std::size_t>(slot)]);
    }
    field_of_slot[static_cast<std::size_t>(slot)] = position;
  }

  int last_field = -1;
  for (int f : field_of_slot) last_field = std::max(last_field, f);
  map.slot_of_field.assign(static_cast<std::size_t>(last_field + 1), -1);
  for (std::size_t slot = 1; slot < field_of_slot.size(); ++slot) {
    if (field_of_slot[slot] >= 0) {
      map.slot_of_field[static_cast<std::size_t>(field_of_slot[slot])] = static_cast<int>(slot);
    }
  }

  if (cut_count > 0) {
    add_warning(warnings, SurveyReadWarning::Kind::columns_cut, cut_count, cut_names,
                "The file has " + std::to_string(cut_count) +
                    " variables beyond the first 255; they were not read (" + cut_names +
                    (cut_count > 10 ? ", ..." : "") + ").");
  }
  if (repeated_count > 0) {
    add_warning(warnings, SurveyReadWarning::Kind::repeated_header, repeated_count, repeated_names,
                "Repeated variable names (" + repeated_names +
                    "): the earlier column was read as \"_\" followed by the name.");
  }
  return map;
}

bool ends_data_block(std::string_view line) { return line.empty() || line.front() == kMarkerByte; }

// ---------------------------------------------------------------------------------------------
// Reading the sections

void set_if_present(std::string& target, const std::vector<std::string_view>& fields,
                    std::size_t index) {
  if (index < fields.size()) target.assign(fields[index]);
}

void read_planning(const Section& section, PlanningPage& planning) {
  const auto& lines = section.lines;
  auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string_view(); };
  auto single = [&](std::size_t i, std::string& target) {
    if (i < lines.size()) target.assign(first_field(lines[i]));
  };
  single(0, planning.survey_name);
  if (lines.size() > 1) planning.cluster_sampling = contains(line(1), "Cluster");
  single(3, planning.sc_b);
  single(4, planning.sc_c);
  if (lines.size() > 5) {
    const auto fields = fields_of(line(5), 4);
    set_if_present(planning.sc_d, fields, 0);
    set_if_present(planning.sc_e, fields, 1);
    set_if_present(planning.sc_f, fields, 2);
    set_if_present(planning.sc_g, fields, 3);
  }
  single(6, planning.sm_a);
  single(7, planning.sm_b);
  single(8, planning.sm_c);
  if (lines.size() > 9) {
    const auto fields = fields_of(line(9), 3);
    set_if_present(planning.sm_d, fields, 0);
    set_if_present(planning.sm_e, fields, 1);
    set_if_present(planning.sm_f, fields, 2);
  }
  single(10, planning.Edit19);

  constexpr std::size_t kFirstClusterLine = 11;
  if (lines.size() <= kFirstClusterLine) return;
  const int rows =
      static_cast<int>(std::min<std::size_t>(lines.size() - kFirstClusterLine, kMaxRows - 2));
  grow_to(planning.cluster_table, 3, rows + 2);
  for (int i = 0; i < rows; ++i) {
    const auto fields = fields_of(lines[kFirstClusterLine + static_cast<std::size_t>(i)], 3);
    for (int c = 0; c < 3; ++c) {
      planning.cluster_table.set_cell(
          c, i + 1, c < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(c)] : "");
    }
  }
}

// Stores `field` with its decimal separator normalised, through `scratch` only when a character
// has to change, so that reading a large file does not build a string per cell.
void set_normalised(TextGrid& grid, int column, int row, std::string_view field,
                    char decimal_separator, std::string& scratch) {
  const char replaced = decimal_separator == ',' ? '.' : ',';
  if (field.find(replaced) == std::string_view::npos) {
    grid.set_cell(column, row, field);
    return;
  }
  scratch.assign(field);
  normalise_decimal(scratch, decimal_separator);
  grid.set_cell(column, row, scratch);
}

// Stores the fields of `line` into `columns` of `row`, missing fields as empty; with a decimal
// separator the values are normalised.
void store_fields(TextGrid& grid, int row, std::string_view line, int first_column, int count,
                  const char* decimal_separator) {
  FieldReader reader(line);
  std::string_view field;
  std::string scratch;
  for (int i = 0; i < count; ++i) {
    if (!reader.next(field)) field = {};
    if (decimal_separator != nullptr) {
      set_normalised(grid, first_column + i, row, field, *decimal_separator, scratch);
    } else {
      grid.set_cell(first_column + i, row, field);
    }
  }
}

void read_training(const Section& section, TextGrid& table, char decimal_separator) {
  const auto& lines = section.lines;
  if (section.marker == Marker::training_new) {
    const int rows = static_cast<int>(std::min<std::size_t>(lines.size(), kTrainingRows));
    grow_to(table, kTrainingContinuousFields + 1, kTrainingFirstRow + kTrainingRows);
    for (int i = 0; i < rows; ++i) {
      store_fields(table, kTrainingFirstRow + i, lines[static_cast<std::size_t>(i)], 1,
                   kTrainingContinuousFields, &decimal_separator);
    }
    return;
  }
  // The older layout: ten lines of 20 groups of four measurements (columns 1-4, 7-10, ...),
  // then, after a line naming MUAC, lines of 20 pairs for the columns 5-6, 11-12, ...
  grow_to(table, 6 * kOldTrainingGroups + 1, kTrainingFirstRow + kTrainingRows);
  auto store_groups = [&](std::string_view line, int row, int group_size, int offset) {
    FieldReader reader(line);
    std::string_view field;
    for (int j = 0; j < kOldTrainingGroups * group_size && reader.next(field); ++j) {
      // Normalised like the present layout, so that a survey saved again reads back the same.
      table.set_cell(6 * (j / group_size) + offset + j % group_size, row,
                     normalised_decimal(field, decimal_separator));
    }
  };
  std::size_t i = 0;
  for (; i < lines.size() && i < static_cast<std::size_t>(kOldTrainingRows) &&
         !contains(lines[i], "MUAC");
       ++i) {
    store_groups(lines[i], kTrainingFirstRow + static_cast<int>(i), 4, 1);
  }
  if (i < lines.size() && contains(lines[i], "MUAC")) {
    int row = kTrainingFirstRow;
    for (++i; i < lines.size() && row < kTrainingFirstRow + kTrainingRows; ++i, ++row) {
      store_groups(lines[i], row, 2, 5);
    }
  }
}

void read_training_categorical(const Section& section, TextGrid& table, char decimal_separator) {
  const int rows = static_cast<int>(std::min<std::size_t>(section.lines.size(), kTrainingRows));
  grow_to(table, kTrainingCategoricalFields + 1, kTrainingFirstRow + kTrainingRows);
  for (int i = 0; i < rows; ++i) {
    store_fields(table, kTrainingFirstRow + i, section.lines[static_cast<std::size_t>(i)], 1,
                 kTrainingCategoricalFields, &decimal_separator);
  }
}

void read_households(const Section& section, TextGrid& table,
                     std::vector<SurveyReadWarning>& warnings) {
  const int rows = static_cast<int>(std::min<std::size_t>(section.lines.size(), kMaxRows - 3));
  if (static_cast<std::size_t>(rows) < section.lines.size()) {
    const int lost = static_cast<int>(section.lines.size() - static_cast<std::size_t>(rows));
    add_warning(warnings, SurveyReadWarning::Kind::mortality_rows_cut, lost, "",
                std::to_string(lost) +
                    " lines of household mortality data were not read: the "
                    "table holds at most " +
                    std::to_string(kMaxRows - 3) + " households.");
  }
  grow_to(table, kHouseholdFields + 1, rows + 3);
  const bool current = section.marker == Marker::mortality_new;
  for (int i = 0; i < rows; ++i) {
    const std::string_view line = section.lines[static_cast<std::size_t>(i)];
    if (current) {
      store_fields(table, 2 + i, line, 1, kHouseholdFields, nullptr);
    } else {
      // Older files had no household number column: it is the running number.
      table.set_cell(1, 2 + i, std::to_string(i + 1));
      store_fields(table, 2 + i, line, 2, kOldHouseholdFields, nullptr);
    }
  }
}

void read_individuals(const Section& section, Workspace& workspace, DateOrder file_order,
                      const SurveyReadContext& context, std::vector<SurveyReadWarning>& warnings) {
  TextGrid& table = workspace.mortality_individuals;
  const auto& lines = section.lines;
  const std::size_t line_count = std::min<std::size_t>(lines.size(), kMaxRows - 1);
  if (line_count < lines.size()) {
    const int lost = static_cast<int>(lines.size() - line_count);
    add_warning(warnings, SurveyReadWarning::Kind::mortality_rows_cut, lost, "",
                std::to_string(lost) +
                    " lines of individual mortality data were not read: "
                    "the table holds at most 65,535 rows.");
  }
  int widest = 0;
  int cut_lines = 0;
  for (std::size_t i = 0; i < line_count; ++i) {
    const int fields = static_cast<int>(std::count(lines[i].begin(), lines[i].end(), '\t')) + 1;
    if (fields > kMaxMortalityColumns - 1) ++cut_lines;
    widest = std::max(widest, std::min(fields, kMaxMortalityColumns - 1));
  }
  if (cut_lines > 0) {
    add_warning(warnings, SurveyReadWarning::Kind::mortality_columns_cut, cut_lines, "",
                std::to_string(cut_lines) + " lines of individual mortality data have more than " +
                    std::to_string(kMaxMortalityColumns - 1) +
                    " fields; the fields beyond were not read.");
  }
  constexpr int kSpareColumns = 5;
  grow_to(table, widest + 1 + kSpareColumns, static_cast<int>(line_count) + 1);

  for (std::size_t i = 0; i < line_count; ++i) {
    const int row = static_cast<int>(i);
    FieldReader reader(lines[i]);
    std::string_view field;
    for (int column = 1; column <= widest && reader.next(field); ++column) {
      if (row > 0 && column == 1) {
        table.set_cell(column, row, convert_date_from_file_order(field, file_order, context.dates));
      } else {
        table.set_cell(column, row, field);
      }
    }
    if (row > 0) table.set_cell(0, row, std::to_string(row));
    if (context.show_progress && row > 0 && row % kProgressStep == 0) {
      context.show_progress("Reading line " + std::to_string(row) + " of mortality data");
    }
  }

  workspace.mortality_additional_variables.clear();
  for (int column = kMortalityFirstAdditionalColumn; column < table.column_count(); ++column) {
    if (!table.cell(column, 0).empty()) {
      workspace.mortality_additional_variables.emplace_back(table.cell(column, 0));
    }
  }
}

constexpr std::array<std::string MortalityOptions::*, 11> kMortalityOptionFields = {
    &MortalityOptions::cde1, &MortalityOptions::cde2, &MortalityOptions::cde3,
    &MortalityOptions::cde4, &MortalityOptions::cde5, &MortalityOptions::cde6,
    &MortalityOptions::cde7, &MortalityOptions::lde1, &MortalityOptions::lde2,
    &MortalityOptions::lde3, &MortalityOptions::lde4};

void read_mortality_options(const Section& section, MortalityOptions& options) {
  for (std::size_t i = 0; i < kMortalityOptionFields.size() && i < section.lines.size(); ++i) {
    (options.*kMortalityOptionFields[i]).assign(first_field(section.lines[i]));
  }
}

// The Options section maps onto the Options page's own fields: the page is the one place that
// holds these controls, and the file only carries a copy of some of them.
using OptionText = std::string OptionsPage::*;
using OptionSwitch = bool OptionsPage::*;
using FlagText = std::string FlagParameters::*;

constexpr std::array<OptionSwitch, 5> kAutofillSwitches = {
    &OptionsPage::autofill_id, &OptionsPage::autofill_hh, &OptionsPage::autofill_cluster,
    &OptionsPage::autofill_team, &OptionsPage::autofill_survdate};
constexpr std::array<FlagText, 3> kKanduLow = {&FlagParameters::whz_ol, &FlagParameters::haz_ol,
                                               &FlagParameters::waz_ol};
constexpr std::array<FlagText, 3> kKanduHigh = {&FlagParameters::whz_oh, &FlagParameters::haz_oh,
                                                &FlagParameters::waz_oh};
// Lines 10 to 16: an age group bound, the clothes weight, and a mortality age bound.
constexpr std::array<std::pair<OptionText, OptionText>, 7> kBoundLines = {{
    {&OptionsPage::Edit2, &OptionsPage::ma01},
    {&OptionsPage::Edit11, &OptionsPage::ma03},
    {&OptionsPage::Edit26, &OptionsPage::ma05},
    {&OptionsPage::Edit4, &OptionsPage::ma07},
    {&OptionsPage::Edit6, &OptionsPage::ma09},
    {&OptionsPage::Edit8, &OptionsPage::ma11},
    {&OptionsPage::Edit10, &OptionsPage::ma12},
}};
// The end of each of groups 1 to 4 is the start of the next group minus one.
constexpr std::array<std::pair<OptionText, OptionText>, 4> kGroupEnds = {{
    {&OptionsPage::Edit3, &OptionsPage::Edit4},
    {&OptionsPage::Edit5, &OptionsPage::Edit6},
    {&OptionsPage::Edit7, &OptionsPage::Edit8},
    {&OptionsPage::Edit9, &OptionsPage::Edit10},
}};

std::optional<long> whole_number(std::string_view text) {
  text = trim_spaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

void read_options(const Section& section, OptionsPage& options) {
  const auto& lines = section.lines;
  // The survey file can switch these on but not off: the settings record holds them too, and
  // a survey saved with a switch off must not undo the user's choice.
  for (std::size_t i = 0; i < kAutofillSwitches.size() && i < lines.size(); ++i) {
    if (contains(lines[i], "yes")) options.*kAutofillSwitches[i] = true;
  }
  if (lines.size() > 5 && contains(lines[5], "months")) options.age_by_months = true;
  if (lines.size() > 6 && contains(lines[6], "y/n")) options.oedema_yn = true;
  if (lines.size() > 7) {
    const auto fields = fields_of(lines[7], 3);
    for (std::size_t k = 0; k < 3; ++k) set_if_present(options.flags.*kKanduLow[k], fields, k);
  }
  if (lines.size() > 8) {
    const auto fields = fields_of(lines[8], 3);
    for (std::size_t k = 0; k < 3; ++k) set_if_present(options.flags.*kKanduHigh[k], fields, k);
  }
  for (std::size_t k = 0; k < kBoundLines.size() && 9 + k < lines.size(); ++k) {
    const auto fields = fields_of(lines[9 + k], 2);
    set_if_present(options.*kBoundLines[k].first, fields, 0);
    set_if_present(options.*kBoundLines[k].second, fields, 1);
  }
  for (const auto& [end, next_start] : kGroupEnds) {
    if (const auto start = whole_number(options.*next_start)) {
      options.*end = std::to_string(*start - 1);
    }
  }
}

void read_variables(const Section& section, TextGrid& variables) {
  for (std::size_t i = 0; i < section.lines.size(); ++i) {
    const std::string_view line = section.lines[i];
    const int row = static_cast<int>(i) + 1;
    // The Variable View ends at the first row without a name, as the writer ends it: a row
    // read beyond would be dropped by the next save, with every row after it.
    if (first_field(line).empty() || row >= kVariableViewRows) break;
    const auto fields = fields_of(line, kVariableViewFields);
    int needed_columns = variables.column_count();
    for (std::size_t c = 0; c < fields.size(); ++c) {
      if (!fields[c].empty()) needed_columns = std::max(needed_columns, static_cast<int>(c) + 1);
    }
    grow_to(variables, needed_columns, std::max(row + 1, kVariableViewRows));
    for (std::size_t c = 0; c < fields.size(); ++c) {
      variables.set_cell(static_cast<int>(c), row, fields[c]);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Writing

// Text that would split into other fields, lines or sections is written as the file can hold
// it (cell_text.h): the places where text enters have made it so already, this is the last guard.
void append_field(std::string& out, std::string_view field) {
  if (file_can_hold(field)) {
    out += field;
  } else {
    out += holdable_text(field);
  }
  out += '\t';
}

void append_line(std::string& out, std::string_view text) {
  out += text;
  out += kLineEnd;
}

void append_marker(std::string& out, std::string_view name) {
  out += kMarkerByte;
  out += name;
  out += kLineEnd;
}

void append_fields_line(std::string& out, const TextGrid& grid, int row, int first, int last) {
  for (int c = first; c <= last; ++c) append_field(out, grid.cell(c, row));
  out += kLineEnd;
}

// A row is a record when anything but its dates is filled: a row holding only SURVDATE and
// BIRTHDAT is what the auto-fill of the survey date leaves in a row nobody entered, while a row
// with only user variables or z-scores holds what a user (or an import) put there.
bool row_has_content(const SurveyTable& table, int row, int last_column) {
  for (int c = 1; c <= last_column; ++c) {
    if (c == column(StdVar::survdate) || c == column(StdVar::birthdat)) continue;
    if (!table.cell(c, row).empty()) return true;
  }
  return false;
}

void write_anthropometry(std::string& out, const SurveyTable& table, char decimal_separator) {
  const int last = last_written_column(table);
  const auto headers = unique_headers(table, last);
  // Variable names are written as they stand: they are names, not numbers.
  for (int c = 1; c <= last; ++c) append_field(out, headers[static_cast<std::size_t>(c)]);
  out += kLineEnd;
  std::string value;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!row_has_content(table, row, last)) continue;
    for (int c = 1; c <= last; ++c) {
      if (c < column(StdVar::months)) {
        append_field(out, table.cell(c, row));
      } else {
        value = table.cell(c, row);
        normalise_decimal(value, decimal_separator);
        append_field(out, value);
      }
    }
    out += kLineEnd;
  }
}

void write_planning(std::string& out, const PlanningPage& planning) {
  append_marker(out, "Planning:");
  auto single = [&](std::string_view text) {
    append_field(out, text);
    out += kLineEnd;
  };
  single(planning.survey_name);
  single(planning.cluster_sampling ? "Cluster" : "Random");
  out += kLineEnd;
  single(planning.sc_b);
  single(planning.sc_c);
  for (const auto* field : {&planning.sc_d, &planning.sc_e, &planning.sc_f, &planning.sc_g}) {
    append_field(out, *field);
  }
  out += kLineEnd;
  single(planning.sm_a);
  single(planning.sm_b);
  single(planning.sm_c);
  for (const auto* field : {&planning.sm_d, &planning.sm_e, &planning.sm_f}) {
    append_field(out, *field);
  }
  out += kLineEnd;
  single(planning.Edit19);
  const TextGrid& clusters = planning.cluster_table;
  for (int row = 1; row < clusters.row_count() && !clusters.cell(0, row).empty(); ++row) {
    append_fields_line(out, clusters, row, 0, 2);
  }
}

int last_household_row(const TextGrid& table) {
  for (int row = table.row_count() - 1; row >= 2; --row) {
    if (!table.cell(1, row).empty() || !table.cell(2, row).empty()) return row;
  }
  return 1;
}

void write_individuals(std::string& out, const TextGrid& table) {
  int last_data_row = 0;
  for (int row = table.row_count() - 1; row >= 1 && last_data_row == 0; --row) {
    for (int c = 2; c <= 4; ++c) {
      if (!table.cell(c, row).empty()) last_data_row = row;
    }
  }
  const int last_row = std::max(3, last_data_row + 2);
  std::string line;
  for (int row = 0; row <= last_row; ++row) {
    line.clear();
    for (int c = 1; c < table.column_count(); ++c) append_field(line, table.cell(c, row));
    std::size_t keep = line.size();
    while (keep > 1 && line[keep - 1] == '\t') --keep;
    line.resize(keep);
    append_line(out, line);
  }
}

void write_options(std::string& out, const OptionsPage& options) {
  for (const OptionSwitch on : kAutofillSwitches) {
    append_field(out, options.*on ? "yes" : "no");
    out += kLineEnd;
  }
  append_field(out, options.age_by_months ? "months" : "birthdate");
  out += kLineEnd;
  append_field(out, options.oedema_yn ? "y/n" : "0,1,2,3");
  out += kLineEnd;
  for (const auto& offsets : {kKanduLow, kKanduHigh}) {
    for (const FlagText offset : offsets) append_field(out, options.flags.*offset);
    out += kLineEnd;
  }
  for (const auto& [bound, mortality_bound] : kBoundLines) {
    append_field(out, options.*bound);
    append_field(out, options.*mortality_bound);
    out += kLineEnd;
  }
}

std::filesystem::path backup_path(const std::filesystem::path& file) {
  std::filesystem::path backup = file;
  backup.replace_extension(".bak");
  return backup;
}

bool name_contains(const std::string& name, std::string_view part) {
  return name.find(part) != std::string::npos;
}

// Keeps 100 empty rows after the last row with ID or SEX, so that data entry can go on.
void keep_spare_rows_after_children(SurveyTable& table) {
  int last = 0;
  for (int row = table.row_count() - 1; row >= 1 && last == 0; --row) {
    if (!table.cell(StdVar::id, row).empty() || !table.cell(StdVar::sex, row).empty()) last = row;
  }
  if (table.row_count() - 1 - last < kSpareRows && table.row_count() < kMaxRows) {
    table.resize(table.column_count(), std::min(table.row_count() + kSpareRows, kMaxRows));
  }
  table.renumber_rows();
}

SaveOutcome save_to(Workspace& workspace, const std::string& file_name,
                    const SaveContext& context) {
  SurveyTable& table = workspace.survey;
  // What the file cannot hold is changed in the survey too, so that the survey in memory is the
  // one on disk and the caller can say how many texts changed.
  const int made_holdable = make_workspace_holdable(workspace);
  const auto headers = unique_headers(table, last_written_column(table));
  for (int c = 1; c < static_cast<int>(headers.size()); ++c) {
    table.set_cell(c, 0, headers[static_cast<std::size_t>(c)]);
  }
  const platform::BackupResult backup = write_file_with_backup(
      file_name, survey_file_bytes(workspace, context.dates), context.never_replace);
  workspace.file_name = file_name;
  keep_spare_rows_after_children(table);
  SaveOutcome outcome;
  outcome.saved = true;
  outcome.backup_is_input = backup == platform::BackupResult::backup_is_input;
  outcome.texts_made_holdable = made_holdable;
  if (made_holdable > 0) context.prompter.inform(context.text.text(kTextMadeHoldable));
  if (!name_contains(file_name, "noname")) {
    outcome.add_to_recent_files = true;
    workspace.changed = false;
  }
  return outcome;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

SurveyFileError::SurveyFileError(Kind kind, std::string file, int line, const std::string& what)
    : std::runtime_error(what), kind_(kind), file_(std::move(file)), line_(line) {}

SurveyReadResult read_survey_bytes(std::string_view bytes, const std::string& file_name,
                                   Workspace start, const SurveyReadContext& context) {
  SurveyReadResult result{std::move(start), {}, {}};
  Workspace& workspace = result.workspace;
  // An editor saving as UTF-8 may put a byte order mark first; read as part of the date order
  // line it would hide "mdy" and swap days and months without a word.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
  }
  const std::vector<std::string_view> lines = split_lines(bytes);

  // Date order line, then the header: the first line naming WEIGHT, HEIGHT or SEX.
  std::size_t next = 0;
  DateOrder file_order = DateOrder::dmy;
  const DateOrder code =
      lines.empty() ? DateOrder::unknown : order_from_code(lines[0].substr(0, 3));
  if (code != DateOrder::unknown) {
    file_order = code;
    next = 1;
  }
  while (next < lines.size() && !contains_upper(lines[next], "WEIGHT") &&
         !contains_upper(lines[next], "HEIGHT") && !contains_upper(lines[next], "SEX")) {
    ++next;
  }
  if (next >= lines.size()) {
    throw SurveyFileError(SurveyFileError::Kind::no_header, file_name, 0,
                          file_name + ": no line names the variables WEIGHT, HEIGHT or SEX");
  }
  if (code == DateOrder::unknown) {
    add_warning(result.warnings, SurveyReadWarning::Kind::no_date_order, 1, "",
                "The first line of the file gives no date order (dmy, mdy or ymd): its dates "
                "were read as day, month, year.");
  }
  const ColumnMap map = map_columns(lines[next], result.warnings);
  const std::size_t first_data_line = next + 1;
  std::size_t end_of_data = first_data_line;
  while (end_of_data < lines.size() && !ends_data_block(lines[end_of_data])) ++end_of_data;

  // Data lines fill rows 1 upwards; the table keeps 99 spare rows after them, as it grows by
  // one row per line from a new table's 100, and never holds more than 65,535 rows.
  const std::size_t data_lines = end_of_data - first_data_line;
  const int row_capacity = kMaxRows - 1;
  const int rows_read = static_cast<int>(std::min<std::size_t>(data_lines, row_capacity));
  if (data_lines > static_cast<std::size_t>(row_capacity)) {
    const auto lost = data_lines - static_cast<std::size_t>(row_capacity);
    add_warning(result.warnings, SurveyReadWarning::Kind::rows_cut, static_cast<int>(lost), "",
                std::to_string(lost) + " data lines were not read: the table holds at most " +
                    std::to_string(row_capacity) + " children.");
  }
  const int slots = static_cast<int>(map.slot_names.size()) - 1;
  SurveyTable& table = workspace.survey;
  table.clear_cells();
  table.resize(std::min(slots + 10, kMaxVariableColumns + 1),
               std::min(kNewTableRows + rows_read, kMaxRows));
  for (int slot = 1; slot <= slots; ++slot) {
    table.set_cell(slot, 0, map.slot_names[static_cast<std::size_t>(slot)]);
  }

  const char decimal = context.dates.decimal_separator;
  std::vector<bool> unnamed_has_value(map.unnamed_fields.size(), false);
  std::string scratch;
  int lines_beyond_header = 0;
  int first_line_beyond_header = 0;
  for (int row = 1; row <= rows_read; ++row) {
    const std::size_t line_index = first_data_line + static_cast<std::size_t>(row) - 1;
    const std::string_view line = lines[line_index];
    FieldReader reader(line);
    std::string_view field;
    std::size_t unnamed = 0;
    for (int position = 0; reader.next(field); ++position) {
      if (position >= map.header_fields) {
        // A value with no header field above it has no column to go to.
        FieldReader rest = reader;
        std::string_view more = field;
        bool any = !more.empty();
        while (!any && rest.next(more)) any = !more.empty();
        if (any && lines_beyond_header++ == 0) {
          first_line_beyond_header = static_cast<int>(line_index) + 1;
        }
        break;
      }
      while (unnamed < map.unnamed_fields.size() && map.unnamed_fields[unnamed] < position) {
        ++unnamed;
      }
      if (unnamed < map.unnamed_fields.size() && map.unnamed_fields[unnamed] == position &&
          !field.empty()) {
        unnamed_has_value[unnamed] = true;
      }
      if (static_cast<std::size_t>(position) >= map.slot_of_field.size()) {
        if (unnamed >= map.unnamed_fields.size()) break;
        continue;
      }
      const int slot = map.slot_of_field[static_cast<std::size_t>(position)];
      if (slot < 0) continue;
      if (slot == column(StdVar::survdate) || slot == column(StdVar::birthdat)) {
        table.set_cell(slot, row, convert_date_from_file_order(field, file_order, context.dates));
      } else if (slot >= column(StdVar::months)) {
        set_normalised(table, slot, row, field, decimal, scratch);
      } else {
        table.set_cell(slot, row, field);
      }
    }
    if (context.evaluate_row) context.evaluate_row(workspace, row);
    if (context.show_progress && row % kProgressStep == 0) {
      context.show_progress("Reading line " + std::to_string(row) + " of anthropometric data");
    }
  }
  if (lines_beyond_header > 0) {
    add_warning(result.warnings, SurveyReadWarning::Kind::fields_beyond_header, lines_beyond_header,
                "",
                std::to_string(lines_beyond_header) +
                    " data lines hold values after the last field the header line names (the "
                    "first is line " +
                    std::to_string(first_line_beyond_header) + "); those values were not read.");
  }
  // An empty line ends the children's block: data lines after it, before the next section,
  // are not read, and the user is told.
  if (end_of_data < lines.size() && lines[end_of_data].empty()) {
    int after = 0;
    int first_after = 0;
    for (std::size_t i = end_of_data + 1; i < lines.size() && marker_of(lines[i]) == Marker::none;
         ++i) {
      if (lines[i].find_first_not_of('\t') == std::string_view::npos) continue;
      if (after++ == 0) first_after = static_cast<int>(i) + 1;
    }
    if (after > 0) {
      add_warning(result.warnings, SurveyReadWarning::Kind::lines_after_blank, after, "",
                  std::to_string(after) + " lines after the empty line " +
                      std::to_string(end_of_data + 1) + " (the first is line " +
                      std::to_string(first_after) +
                      ") were not read: an empty line ends the children's data.");
    }
  }
  const int unnamed_with_values =
      static_cast<int>(std::count(unnamed_has_value.begin(), unnamed_has_value.end(), true));
  if (unnamed_with_values > 0) {
    add_warning(result.warnings, SurveyReadWarning::Kind::unnamed_column, unnamed_with_values, "",
                std::to_string(unnamed_with_values) +
                    " columns without a name in the header line hold values; they were not "
                    "read.");
  }
  if (rows_read > 0) result.first_survey_date = table.cell(StdVar::survdate, 1);

  const SectionIndex sections(lines, next, end_of_data);
  if (const Section s = sections.find({Marker::planning}); s.found) {
    read_planning(s, workspace.planning);
  }
  if (const Section s = sections.find({Marker::training_new, Marker::training_old}); s.found) {
    read_training(s, workspace.training_continuous, decimal);
  }
  if (const Section s = sections.find({Marker::training_categorical}); s.found) {
    read_training_categorical(s, workspace.training_categorical, decimal);
  }
  if (const Section s = sections.find({Marker::mortality_new, Marker::mortality_old}); s.found) {
    read_households(s, workspace.mortality_households, result.warnings);
  }
  if (const Section s = sections.find({Marker::mor_individual}); s.found) {
    read_individuals(s, workspace, file_order, context, result.warnings);
  }
  if (const Section s = sections.find({Marker::mor_individual_options}); s.found) {
    read_mortality_options(s, workspace.mortality_options);
  }
  if (const Section s = sections.find({Marker::results}); s.found && !s.lines.empty()) {
    workspace.rd_hh.assign(first_field(s.lines[0]));
  }
  // A survey starts with the Kandu window at its defaults; only the file's own Options section
  // may widen or narrow it, never the survey that was open before.
  reset_kandu_offsets(workspace.options.flags);
  if (const Section s = sections.find({Marker::options}); s.found) {
    read_options(s, workspace.options);
  }
  if (const Section s = sections.find({Marker::variables}); s.found) {
    read_variables(s, workspace.variables);
  }

  table.renumber_rows();
  workspace.file_name = file_name;
  if (!name_contains(file_name, "noname")) workspace.changed = false;
  return result;
}

SurveyReadResult DateiLesen(const std::filesystem::path& file, Workspace start,
                            const SurveyReadContext& context) {
  auto cannot_open = [&](const std::string& reason) {
    return SurveyFileError(SurveyFileError::Kind::cannot_open, file.string(), 0,
                           "cannot open " + file.string() + " for reading: " + reason);
  };
  std::error_code error;
  // A folder opens as a stream on some systems and fails only on the first read, with a
  // message of the library's that names no file.
  if (std::filesystem::is_directory(file, error)) throw cannot_open("it is a folder");
  std::string bytes;
  try {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      const int error_number = errno;
      throw cannot_open(error_number != 0 ? std::generic_category().message(error_number)
                                          : "the file cannot be opened");
    }
    // Room for the whole file at once: growing the string while reading would briefly hold it
    // one and a half times over.
    const auto size = std::filesystem::file_size(file, error);
    if (!error) bytes.reserve(static_cast<std::size_t>(size));
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw cannot_open("the file cannot be read to its end");
  } catch (const std::ios_base::failure& e) {
    throw cannot_open(std::string("the file cannot be read (") + e.code().message() + ")");
  }
  return read_survey_bytes(bytes, file.string(), std::move(start), context);
}

std::vector<std::string> unique_headers(const SurveyTable& table, int last_column) {
  std::vector<std::string> headers(static_cast<std::size_t>(std::max(last_column, 0) + 1));
  std::vector<std::string> seen;
  for (int c = 1; c <= last_column; ++c) {
    std::string name(table.cell(c, 0));
    if (!name.empty()) {
      while (std::find(seen.begin(), seen.end(), name) != seen.end()) name = "_" + name;
      seen.push_back(name);
    }
    headers[static_cast<std::size_t>(c)] = std::move(name);
  }
  return headers;
}

int written_row_count(const SurveyTable& table) {
  const int last = last_written_column(table);
  int count = 0;
  for (int row = 1; row < table.row_count(); ++row) count += row_has_content(table, row, last);
  return count;
}

int last_written_column(const SurveyTable& table) {
  return std::max(table.column_count() - 2, table.last_named_column());
}

std::string survey_file_bytes(const Workspace& workspace, const DateConventions& dates) {
  std::string out;
  out.reserve(static_cast<std::size_t>(workspace.survey.row_count()) * 64 + 64 * 1024);
  append_line(out, order_code(dates.order));
  write_anthropometry(out, workspace.survey, dates.decimal_separator);
  write_planning(out, workspace.planning);

  append_marker(out, "Training_new:");
  for (int row = kTrainingFirstRow; row < kTrainingFirstRow + kTrainingRows; ++row) {
    append_fields_line(out, workspace.training_continuous, row, 1, kTrainingContinuousFields);
  }
  append_marker(out, "Training_categorical:");
  for (int row = kTrainingFirstRow; row < kTrainingFirstRow + kTrainingRows; ++row) {
    append_fields_line(out, workspace.training_categorical, row, 1, kTrainingCategoricalFields);
  }
  append_marker(out, "Mortality_new:");
  const int last_household = last_household_row(workspace.mortality_households);
  for (int row = 2; row <= last_household; ++row) {
    append_fields_line(out, workspace.mortality_households, row, 1, kHouseholdFields);
  }
  append_marker(out, "Mor_individual:");
  write_individuals(out, workspace.mortality_individuals);
  append_marker(out, "Mor_individual_options:");
  for (const auto field : kMortalityOptionFields) {
    append_field(out, workspace.mortality_options.*field);
    out += kLineEnd;
  }
  append_marker(out, "Results:");
  append_field(out, workspace.rd_hh);
  out += kLineEnd;
  append_marker(out, "Options");
  write_options(out, workspace.options);
  append_marker(out, "Variables");
  const TextGrid& variables = workspace.variables;
  for (int row = 1; row < variables.row_count() && !variables.cell(0, row).empty(); ++row) {
    append_fields_line(out, variables, row, 0, kVariableViewFields - 1);
  }
  return out;
}

platform::BackupResult write_file_with_backup(const std::filesystem::path& file,
                                              std::string_view bytes,
                                              const std::vector<std::filesystem::path>& never_replace) {
  try {
    return platform::write_file_with_backup(file, bytes, backup_path(file), never_replace);
  } catch (const platform::WriteFailure& e) {
    throw SurveyFileError(SurveyFileError::Kind::cannot_write, file.string(), 0, e.what());
  }
}

SaveOutcome SaveClick(Workspace& workspace, const SaveContext& context) {
  if (workspace.file_name.empty() || context.filter_active) {
    if (context.filter_active) context.prompter.inform(context.text.text(kSaveWhileFiltered));
    return Saveas1Click(workspace, context);
  }
  // An imported text file is saved as a survey file under a name the user confirms; a name
  // that ends in ".as" is a survey file's, whatever it holds before ("my.txtfile.as").
  const std::string& name = workspace.file_name;
  const bool survey_name = name.size() >= 3 && name.compare(name.size() - 3, 3, ".as") == 0;
  if (name_contains(name, ".txt") && !survey_name) return Saveas1Click(workspace, context);
  return save_to(workspace, workspace.file_name, context);
}

SaveOutcome Saveas1Click(Workspace& workspace, const SaveContext& context) {
  context.prompter.inform(context.text.text(kSaveAsHint));
  std::optional<std::string> chosen =
      context.prompter.choose_file("", "Surveydata|*.as", /*for_saving=*/true);
  if (!chosen) return {};
  if (!name_contains(*chosen, ".as")) *chosen += ".as";
  context.filter_active = false;
  return save_to(workspace, *chosen, context);
}

}  // namespace olvar::core
