#pragma once
// Importing a survey from a data file of another program (import_file.h): the mapping of the
// file's fields to the standard variables SURVDATE to MUAC, and the new Survey table built from
// the file's records under that mapping. Fields mapped to no standard variable become user
// variables. The import does everything or nothing: the survey it returns replaces the open one
// only when the whole file could be read.
//
//   const ImportHeader header = read_import_header(bytes, import_format_of(name), name);
//   ImportMapping mapping = preselected_mapping(header.fields, dates.order);
//   ImportResult result = import_survey(bytes, header, mapping, name, workspace, context);

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_conventions.h"
#include "core/foreign_date.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/workspace.h"
#include "formats/import_file.h"

namespace olvar::formats {

// The targets of the mapping window's lists, in its order: every standard variable but the
// z-scores WAZ, HAZ and WHZ, which row evaluation computes (a field of that name is kept as a
// user variable "_WAZ", ...).
inline constexpr int kImportTargetCount = 16;
inline constexpr std::array<core::StdVar, kImportTargetCount> kImportTargets = {
    core::StdVar::survdate, core::StdVar::cluster, core::StdVar::team,     core::StdVar::id,
    core::StdVar::hh,       core::StdVar::sex,     core::StdVar::birthdat, core::StdVar::months,
    core::StdVar::weight,   core::StdVar::height,  core::StdVar::edema,    core::StdVar::muac,
    core::StdVar::measure,  core::StdVar::clothes, core::StdVar::strata,   core::StdVar::wtfactor};

// The target of a name written by a user ("weight", "MUAC", "wtfactor"); nullopt for anything
// else.
std::optional<core::StdVar> import_target_named(std::string_view name);

struct ImportMapping {
  // Per target (kImportTargets order): the index of the field in the header's field list that
  // gives its values, or -1 when none does.
  std::array<int, kImportTargetCount> field_of_target;
  core::DateOrder file_order = core::DateOrder::dmy;  // of the dates in the file

  ImportMapping() { field_of_target.fill(-1); }
};

// The mapping window's preselection: each target takes the field whose name is its own (AGE or
// MONTHS for MONTHS, EDEMA or OEDEMA for EDEMA), case ignored; when two fields fit, the later
// one in the file. The file order starts at the system date order (day first when unknown).
ImportMapping preselected_mapping(const std::vector<ImportField>& fields,
                                  core::DateOrder system_order);

// The date order of the file guessed from the texts of the fields that `mapping` gives to
// SURVDATE and BIRTHDAT (core/foreign_date.h); `fallback` when they do not decide it. dBase
// date fields, always year first, take no part.
core::DateOrderGuess guess_file_date_order(std::string_view bytes, const ImportHeader& header,
                                           const ImportMapping& mapping, core::DateOrder fallback,
                                           int current_year);

// How one text of a field will stand in the survey under a mapping: the cell, and why the value
// is refused when it is (a date that is no date in the file order, a number that is no number);
// the import window shows both before anything is imported.
struct PreviewCell {
  std::string cell;
  std::string refused;  // empty when the value is fine
};

// The first `rows` records of the file as the import will write them: per record, per target
// (kImportTargets order), the cell of its mapped field (empty when none is mapped).
struct ImportPreview {
  std::vector<std::array<PreviewCell, kImportTargetCount>> rows;
};
ImportPreview preview_import(std::string_view bytes, const ImportHeader& header,
                             const ImportMapping& mapping, const std::string& file_name,
                             const core::DateConventions& dates, int current_year, int rows);

// The index of the field named `name` (exactly, else case ignored), or -1.
int field_index(const std::vector<ImportField>& fields, std::string_view name);

struct ImportContext {
  core::DateConventions dates;
  int current_year = 0;             // places two-digit years of the dates read
  core::RowEvaluator evaluate_row;  // may be empty: rows are stored as read
};

struct ImportResult {
  core::Workspace workspace;
  std::int64_t records = 0;  // children imported
  std::int64_t deleted = 0;  // records the file marks as deleted, left out
  // Told to the user: what was not imported, dates that are no dates in the file order.
  std::vector<ImportNote> notes;
  bool columns_cut = false;  // fields beyond the last column were left out (among the notes)
  bool data_lost() const;
};

// Builds the survey of `bytes` (the whole file, whose header is `header`) under `mapping`: a
// new Survey table and Variable View, the standard variables in their columns and the other
// fields as user variables after them, every row evaluated. The rest of `start` (options,
// planning, mortality, ...) is kept. The file name becomes `file_name` with ".as" in place of
// its extension, and the survey counts as changed. Throws ImportError for a malformed record.
ImportResult import_survey(std::string_view bytes, const ImportHeader& header,
                           const ImportMapping& mapping, const std::string& file_name,
                           core::Workspace start, const ImportContext& context);

// The bytes of the file to import. Throws ImportError naming the file when it cannot be read.
std::string read_import_bytes(const std::filesystem::path& file);

}  // namespace olvar::formats
