#include "formats/survey_import.h"

#include <algorithm>
#include <initializer_list>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>

#include "core/cell_text.h"
#include "core/date_text.h"
#include "core/text_conversions.h"
#include "core/variable_view.h"

namespace olvar::formats {

namespace {

std::string upper_case(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

int target_index(core::StdVar variable) {
  const auto found = std::find(kImportTargets.begin(), kImportTargets.end(), variable);
  return found == kImportTargets.end() ? -1 : static_cast<int>(found - kImportTargets.begin());
}

// Where each field goes and how its values are written.
struct ColumnPlan {
  std::vector<std::vector<int>> columns_of_field;  // Survey table columns, per field
  std::vector<std::string> user_names;             // headers of columns 20, 21, ...
  std::vector<std::string> fields_left_out;        // beyond the last column
};

ColumnPlan plan_columns(const ImportHeader& header, const ImportMapping& mapping) {
  ColumnPlan plan;
  plan.columns_of_field.resize(header.fields.size());
  for (int t = 0; t < kImportTargetCount; ++t) {
    const int field = mapping.field_of_target[static_cast<std::size_t>(t)];
    if (field >= 0 && field < static_cast<int>(header.fields.size())) {
      plan.columns_of_field[static_cast<std::size_t>(field)].push_back(
          core::column(kImportTargets[static_cast<std::size_t>(t)]));
    }
  }
  std::set<std::string> used(core::kStandardHeaders.begin() + 1, core::kStandardHeaders.end());
  constexpr int kUserColumns = core::kMaxColumns - core::kFirstUserColumn;  // 20 to 254
  for (std::size_t f = 0; f < header.fields.size(); ++f) {
    if (!plan.columns_of_field[f].empty()) continue;
    const std::string& name = header.fields[f].name;
    if (static_cast<int>(plan.user_names.size()) >= kUserColumns) {
      plan.fields_left_out.push_back(name);
      continue;
    }
    // A standard name that is not mapped keeps the field apart from the standard variable.
    std::string header_name = core::standard_variable(upper_case(name))
                                  ? "_" + upper_case(name)
                                  : core::user_variable_name(name);
    core::make_holdable(header_name);  // a quoted name may hold a line break or a TAB
    while (used.count(header_name) != 0) header_name = "_" + header_name;
    used.insert(header_name);
    plan.columns_of_field[f].push_back(core::kFirstUserColumn +
                                       static_cast<int>(plan.user_names.size()));
    plan.user_names.push_back(std::move(header_name));
  }
  return plan;
}

bool is_eight_digits(std::string_view text) {
  return text.size() == 8 && std::all_of(text.begin(), text.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Counts, per date column, the values that are no dates after conversion.
struct DateCheck {
  std::int64_t survdate = 0, birthdat = 0;
  std::string first_survdate, first_birthdat;
};

bool is_date_column(int column) {
  return column == core::column(core::StdVar::survdate) ||
         column == core::column(core::StdVar::birthdat);
}

bool is_number_column(int column) {
  using core::StdVar;
  for (const StdVar v : {StdVar::months, StdVar::weight, StdVar::height, StdVar::muac,
                         StdVar::strata, StdVar::wtfactor}) {
    if (column == core::column(v)) return true;
  }
  return false;
}

bool one_of(std::string_view text, std::initializer_list<std::string_view> codes) {
  const std::string lower = [&] {
    std::string l(text);
    for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return l;
  }();
  return std::find(codes.begin(), codes.end(), lower) != codes.end();
}

// The cell text of `text` of `field` in `column`, by the rules of that column, and why it is
// refused when it is.
PreviewCell cell_of(int column, const ImportField& field, std::string_view text,
                    const ImportHeader& header, core::DateOrder file_order,
                    const core::DateConventions& dates, int current_year) {
  using core::StdVar;
  if (text.empty()) return {};
  if (column == core::column(StdVar::sex)) {
    const bool male = text == "1" || text == "m" || text == "M";
    const bool known = male || one_of(text, {"2", "f", "0", "male", "female"});
    if (one_of(text, {"male"})) return {"m", {}};
    return {male ? "m" : "f", known ? std::string() : "no sex code: read as f"};
  }
  if (column == core::column(StdVar::edema) || column == core::column(StdVar::clothes)) {
    const bool yes = text == "1" || text == "y" || text == "Y" ||
                     (field.kind == FieldKind::logical && (text == "T" || text == "t"));
    return {yes ? "y" : "n", {}};
  }
  if (column == core::column(StdVar::measure)) {
    // Length lying, height standing; the forms code them 1 and 2 as often as l and h.
    if (one_of(text, {"l", "1", "length"})) return {"l", {}};
    if (one_of(text, {"h", "2", "height"})) return {"h", {}};
    return {std::string(text), "no position code (l or h)"};
  }
  if (is_date_column(column)) {
    if (header.format == ImportFormat::dbase && field.kind == FieldKind::date &&
        is_eight_digits(text)) {
      // A dBase date is stored as year, month and day whatever the file order says.
      const std::string sep(1, dates.separator);
      const std::string with_separators = std::string(text.substr(0, 4)) + sep +
                                          std::string(text.substr(4, 2)) + sep +
                                          std::string(text.substr(6, 2));
      return {core::convert_date_from_file_order(with_separators, core::DateOrder::ymd, dates),
              {}};
    }
    // Dates of digits in the file order keep the form the survey file's reader gives them;
    // the other forms (month names, year first, serial days) are written in the system's form.
    std::string converted = core::convert_date_from_file_order(text, file_order, dates);
    if (core::day_number(converted, dates, current_year)) return {std::move(converted), {}};
    if (const std::optional<core::CivilDate> date =
            core::read_foreign_date(text, file_order, current_year)) {
      return {core::date_text(*core::day_number_of(*date), dates), {}};
    }
    return {std::move(converted),
            "no date in the order " + std::string(core::order_code(file_order))};
  }
  std::string cell = core::normalised_decimal(text, dates.decimal_separator);
  if (is_number_column(column) && !core::parse_number(cell, dates.decimal_separator)) {
    return {std::move(cell), "not a number"};
  }
  return {std::move(cell), {}};
}

class RowWriter {
 public:
  RowWriter(const ImportHeader& header, const ImportMapping& mapping, const ImportContext& context)
      : header_(header), mapping_(mapping), context_(context) {}

  // The cell text of `text` of field `f` in `column`, by the rules of that column.
  std::string value(int column, const ImportField& field, std::string_view text) {
    PreviewCell cell = cell_of(column, field, text, header_, mapping_.file_order, context_.dates,
                               context_.current_year);
    if (is_date_column(column) && !cell.refused.empty()) {
      const bool survey = column == core::column(core::StdVar::survdate);
      std::int64_t& count = survey ? dates_.survdate : dates_.birthdat;
      std::string& first = survey ? dates_.first_survdate : dates_.first_birthdat;
      if (count++ == 0) first = cell.cell;
    }
    return std::move(cell.cell);
  }

  const DateCheck& dates() const { return dates_; }

 private:
  const ImportHeader& header_;
  const ImportMapping& mapping_;
  const ImportContext& context_;
  DateCheck dates_;
};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

std::optional<core::StdVar> import_target_named(std::string_view name) {
  const std::optional<core::StdVar> variable = core::standard_variable(upper_case(name));
  if (!variable || target_index(*variable) < 0) return std::nullopt;
  return variable;
}

int field_index(const std::vector<ImportField>& fields, std::string_view name) {
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].name == name) return static_cast<int>(f);
  }
  const std::string upper = upper_case(name);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (upper_case(fields[f].name) == upper) return static_cast<int>(f);
  }
  return -1;
}

ImportMapping preselected_mapping(const std::vector<ImportField>& fields,
                                  core::DateOrder system_order) {
  ImportMapping mapping;
  mapping.file_order =
      system_order == core::DateOrder::unknown ? core::DateOrder::dmy : system_order;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    std::string name = upper_case(fields[f].name);
    if (name == "AGE") name = "MONTHS";
    if (name == "OEDEMA") name = "EDEMA";
    if (const std::optional<core::StdVar> target = import_target_named(name)) {
      mapping.field_of_target[static_cast<std::size_t>(target_index(*target))] =
          static_cast<int>(f);
    }
  }
  return mapping;
}

bool ImportResult::data_lost() const {
  return std::any_of(notes.begin(), notes.end(), [](const ImportNote& n) { return n.data_lost; });
}

ImportResult import_survey(std::string_view bytes, const ImportHeader& header,
                           const ImportMapping& mapping, const std::string& file_name,
                           core::Workspace start, const ImportContext& context) {
  ImportResult result;
  result.notes = header.notes;
  const ColumnPlan plan = plan_columns(header, mapping);
  if (!plan.fields_left_out.empty()) {
    result.columns_cut = true;
    result.notes.push_back(
        {"the survey has room for " + std::to_string(core::kMaxColumns - core::kFirstUserColumn) +
             " user variables; these fields were not imported: " + joined(plan.fields_left_out),
         true});
  }

  core::Workspace& workspace = start;
  core::SurveyTable& survey = workspace.survey;
  const int variable_count =
      core::kStandardVariableCount + static_cast<int>(plan.user_names.size());
  survey.resize(core::column_count_for_variables(variable_count), core::kNewTableRows);
  survey.clear_cells();
  survey.write_standard_headers();
  for (std::size_t u = 0; u < plan.user_names.size(); ++u) {
    survey.set_cell(core::kFirstUserColumn + static_cast<int>(u), 0, plan.user_names[u]);
  }

  // Per user variable: whether every value read is a number, for its type in the Variable View.
  std::vector<bool> numeric(plan.user_names.size(), true);
  std::vector<bool> any_value(plan.user_names.size(), false);
  RowWriter writer(header, mapping, context);
  int row = 0;
  bool full = false;
  const RecordSink take = [&](const std::vector<std::string>& texts) {
    if (row + 1 >= core::kMaxRows) {
      full = true;
      return false;
    }
    ++row;
    if (row >= survey.row_count()) {
      survey.resize(survey.column_count(),
                    std::min(core::kMaxRows, std::max(row + 100, survey.row_count() * 2)));
    }
    for (std::size_t f = 0; f < texts.size(); ++f) {
      for (const int column : plan.columns_of_field[f]) {
        const std::string cell = writer.value(column, header.fields[f], texts[f]);
        if (column >= core::kFirstUserColumn && !cell.empty()) {
          const auto u = static_cast<std::size_t>(column - core::kFirstUserColumn);
          any_value[u] = true;
          if (numeric[u] && !core::parse_number(cell, context.dates.decimal_separator)) {
            numeric[u] = false;
          }
        }
        survey.set_cell(column, row, cell);
      }
    }
    if (context.evaluate_row) context.evaluate_row(workspace, row);
    return true;
  };
  RecordsRead read = read_import_records(bytes, header, file_name, take);
  result.deleted = read.deleted;
  if (full) {
    result.notes.push_back({"a survey holds at most " + std::to_string(core::kMaxRows - 1) +
                                " children; the records after the first " + std::to_string(row) +
                                " were not imported",
                            true});
  }
  for (ImportNote& note : read.notes) result.notes.push_back(std::move(note));
  if (read.deleted > 0) {
    result.notes.push_back(
        {std::to_string(read.deleted) + " records marked as deleted in the file were left out",
         false});
  }
  const DateCheck& dates = writer.dates();
  const std::string order(core::order_code(mapping.file_order));
  for (const auto& [name, count, first] :
       {std::tuple{"SURVDATE", dates.survdate, dates.first_survdate},
        std::tuple{"BIRTHDAT", dates.birthdat, dates.first_birthdat}}) {
    if (count == 0) continue;
    result.notes.push_back({std::to_string(count) + " values of " + name +
                                " are no dates in the order " + order + " (the first \"" + first +
                                "\"); they were kept as read: choose the date order of the file",
                            false});
  }

  survey.resize(survey.column_count(), std::min(core::kMaxRows, row + 1 + core::kSpareRows));
  survey.renumber_rows();
  // A field may hold what a survey file cannot (a quoted line break or TAB, a leading 0xA5):
  // it is made holdable here, where it enters, and the user is told.
  if (const int made = core::make_cells_holdable(survey); made > 0) {
    result.notes.push_back({std::to_string(made) +
                                " values held line breaks, TABs or a leading section marker byte "
                                "(0xA5) that a survey file cannot hold; they were imported with "
                                "blanks and \"Y\" in their place",
                            true});
  }
  // A record with nothing but its dates is no child to the survey file; it is counted apart.
  const int written = core::written_row_count(survey);
  if (written < row) {
    result.notes.push_back({std::to_string(row - written) +
                                " records hold nothing but SURVDATE and BIRTHDAT; a survey file "
                                "does not keep such rows, so they were left out",
                            true});
  }
  result.records = written;
  core::VSG_New(workspace.variables);
  for (std::size_t u = 0; u < plan.user_names.size(); ++u) {
    const int view_row = core::kFirstUserColumn + static_cast<int>(u);
    workspace.variables.set_cell(core::field_column(core::VariableField::name), view_row,
                                 plan.user_names[u]);
    core::VariableType type =
        numeric[u] && any_value[u] ? core::VariableType::numeric : core::VariableType::character;
    for (std::size_t f = 0; f < header.fields.size(); ++f) {
      if (plan.columns_of_field[f] == std::vector<int>{view_row}) {
        if (header.fields[f].kind == FieldKind::number) type = core::VariableType::numeric;
        if (header.fields[f].kind == FieldKind::date) type = core::VariableType::date;
      }
    }
    workspace.variables.set_cell(core::field_column(core::VariableField::type), view_row,
                                 core::type_text(type));
  }
  workspace.file_name = std::filesystem::path(file_name).replace_extension(".as").string();
  workspace.changed = true;
  result.workspace = std::move(workspace);
  return result;
}

core::DateOrderGuess guess_file_date_order(std::string_view bytes, const ImportHeader& header,
                                           const ImportMapping& mapping, core::DateOrder fallback,
                                           int current_year) {
  std::vector<int> date_fields;
  for (const core::StdVar v : {core::StdVar::survdate, core::StdVar::birthdat}) {
    const int f = mapping.field_of_target[static_cast<std::size_t>(target_index(v))];
    if (f < 0 || f >= static_cast<int>(header.fields.size())) continue;
    const ImportField& field = header.fields[static_cast<std::size_t>(f)];
    if (header.format == ImportFormat::dbase && field.kind == FieldKind::date) continue;
    date_fields.push_back(f);
  }
  std::vector<std::string> texts;
  if (!date_fields.empty()) {
    try {
      read_import_records(bytes, header, "", [&](const std::vector<std::string>& record) {
        for (const int f : date_fields) {
          const std::string& text = record[static_cast<std::size_t>(f)];
          if (!text.empty()) texts.push_back(text);
        }
        return true;
      });
    } catch (const ImportError&) {
      // The dates before a malformed record still say the order; the import reports the record.
    }
  }
  return core::guess_date_order(std::vector<std::string_view>(texts.begin(), texts.end()),
                                fallback, current_year);
}

ImportPreview preview_import(std::string_view bytes, const ImportHeader& header,
                             const ImportMapping& mapping, const std::string& file_name,
                             const core::DateConventions& dates, int current_year, int rows) {
  ImportPreview preview;
  if (rows <= 0) return preview;
  try {
    read_import_records(bytes, header, file_name, [&](const std::vector<std::string>& record) {
      auto& row = preview.rows.emplace_back();
      for (int t = 0; t < kImportTargetCount; ++t) {
        const int f = mapping.field_of_target[static_cast<std::size_t>(t)];
        if (f < 0 || f >= static_cast<int>(record.size())) continue;
        const int column = core::column(kImportTargets[static_cast<std::size_t>(t)]);
        row[static_cast<std::size_t>(t)] =
            cell_of(column, header.fields[static_cast<std::size_t>(f)],
                    record[static_cast<std::size_t>(f)], header, mapping.file_order, dates,
                    current_year);
      }
      return static_cast<int>(preview.rows.size()) < rows;
    });
  } catch (const ImportError&) {
    // The rows before a malformed record are shown; importing reports the record.
  }
  return preview;
}

std::string read_import_bytes(const std::filesystem::path& file) {
  std::error_code ec;
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, ec)) {
    throw ImportError("cannot open " + file.string() + " for reading");
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw ImportError("cannot read " + file.string() + " to its end");
  return bytes.str();
}

}  // namespace olvar::formats
