#include "anthro/zscore_batch.h"

#include <array>
#include <cctype>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "anthro/zscore_engine.h"
#include "core/csv_reader.h"
#include "core/text_conversions.h"

namespace olvar::anthro {

namespace {

enum Field { kSex, kAgeDays, kWeightKg, kHeightCm, kMeasure, kOedema, kMuacMm, kFieldCount };
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "sex", "age_days", "weight_kg", "height_cm", "measure", "oedema", "muac_mm"};

std::string lower(std::string_view text) {
  std::string out(core::trim_spaces(text));
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view field) { return core::trim_spaces(field); }

std::string zscore_text(const IndexResult& index) {
  if (!index.computed()) return {};
  return std::string(core::trim_spaces(core::format_fixed(index.z, 4, 3)));
}

std::string percent_text(const IndexResult& index) {
  if (!index.computed()) return {};
  return std::string(core::trim_spaces(core::format_fixed(index.pct_of_median, 5, 2)));
}

struct RowInput {
  Measurement measurement;
  std::optional<Field> unreadable;  // the first field that could not be used
};

RowInput read_row(const std::vector<std::string>& fields,
                  const std::array<int, kFieldCount>& position) {
  RowInput row;
  Measurement& m = row.measurement;
  auto text = [&](Field f) -> std::string_view {
    const int at = position[f];
    if (at < 0 || at >= static_cast<int>(fields.size())) return {};
    return trimmed(fields[static_cast<std::size_t>(at)]);
  };
  auto fail = [&](Field f) {
    if (!row.unreadable) row.unreadable = f;
  };
  auto number = [&](Field f) -> std::optional<float> {
    const std::string_view t = text(f);
    if (t.empty()) return std::nullopt;
    const std::optional<float> value = core::parse_standard(t, '.');
    if (!value) fail(f);
    return value;
  };

  const std::string_view sex = text(kSex);
  if (sex == "m" || sex == "M" || sex == "1") {
    m.sex = 'm';
  } else if (sex == "f" || sex == "F" || sex == "2") {
    m.sex = 'f';
  } else if (!sex.empty()) {
    fail(kSex);
  }
  if (const auto age = number(kAgeDays)) m.age_days = *age;
  if (const auto weight = number(kWeightKg)) m.weight_g = engine_units(*weight, 1000.0);
  if (const auto height = number(kHeightCm)) m.height_cm_x1000 = engine_units(*height, 1000.0);
  if (const auto muac = number(kMuacMm)) m.muac_mm_x100 = engine_units(*muac, 100.0);
  const std::string measure = lower(text(kMeasure));
  if (measure == "l" || measure == "h") {
    m.position = measure[0];
  } else if (!measure.empty()) {
    fail(kMeasure);
  }
  const std::string oedema = lower(text(kOedema));
  if (oedema == "y" || oedema == "n") {
    m.oedema = oedema[0];
  } else if (!oedema.empty()) {
    fail(kOedema);
  }
  return row;
}

}  // namespace

std::string ZscoreBatchSummary::describe() const {
  std::string text = std::to_string(rows) + " rows; " + std::to_string(rows_without_zscore) +
                     " without any z-score";
  std::string reasons;
  for (const auto& [reason, count] : unreadable_fields) {
    reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
  }
  if (!reasons.empty()) text += "; rows with z-scores left empty: " + reasons;
  return text;
}

ZscoreBatchSummary run_zscore_batch(std::istream& in, std::ostream& out, Reference reference,
                                    const WhoReference& who) {
  ZscoreBatchSummary summary;
  core::CsvReader reader(in);
  std::vector<std::string> fields;
  auto next_record = [&] {
    try {
      return reader.next(fields);
    } catch (const core::CsvError& e) {
      throw ZscoreBatchError(std::string("the input is not well-formed CSV: ") + e.what());
    } catch (const std::runtime_error& e) {
      throw ZscoreBatchError(e.what());
    }
  };
  if (!next_record()) throw ZscoreBatchError("the input is empty: a header line is needed");

  std::array<int, kFieldCount> position;
  position.fill(-1);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string name = lower(fields[i]);
    for (int f = 0; f < kFieldCount; ++f) {
      if (name == kFieldNames[static_cast<std::size_t>(f)] &&
          position[static_cast<std::size_t>(f)] < 0) {
        position[static_cast<std::size_t>(f)] = static_cast<int>(i);
      }
    }
  }
  for (Field required : {kSex, kWeightKg, kHeightCm}) {
    if (position[required] < 0) {
      throw ZscoreBatchError("the header line has no column \"" +
                             std::string(kFieldNames[required]) + "\"");
    }
  }

  const bool nchs = reference == Reference::nchs1977;
  // Records pass through as they stand in the input (quotes and all); only the line end becomes
  // LF, which also ends a record read from a file with CR line ends.
  std::string output(reader.raw());
  output += nchs ? ",waz,haz,whz,baz,muacz,wam,ham,whm\n" : ",waz,haz,whz,baz,muacz\n";
  out.write(output.data(), static_cast<std::streamsize>(output.size()));

  while (next_record()) {
    if (fields.size() == 1 && trimmed(fields[0]).empty() && trimmed(reader.raw()).empty()) continue;
    ++summary.rows;
    const RowInput row = read_row(fields, position);

    output = reader.raw();
    if (row.unreadable) {
      // A field that is not a number must never turn into a wrong z-score: the row gets none.
      ++summary.rows_without_zscore;
      ++summary.unreadable_fields[std::string(kFieldNames[*row.unreadable]) +
                                  (*row.unreadable == kSex       ? " not m, f, 1 or 2"
                                   : *row.unreadable == kMeasure ? " not l or h"
                                   : *row.unreadable == kOedema  ? " not y or n"
                                                                 : " not a number")];
      output += nchs ? ",,,,,,,,\n" : ",,,,,\n";
    } else {
      const AnthroResult r = evaluate(row.measurement, reference, who);
      if (!r.waz.computed() && !r.haz.computed() && !r.whz.computed() && !r.baz.computed() &&
          !r.muacz.computed()) {
        ++summary.rows_without_zscore;
      }
      for (const IndexResult* index : {&r.waz, &r.haz, &r.whz, &r.baz, &r.muacz}) {
        output += ',';
        output += zscore_text(*index);
      }
      if (nchs) {
        for (const IndexResult* index : {&r.waz, &r.haz, &r.whz}) {
          output += ',';
          output += percent_text(*index);
        }
      }
      output += '\n';
    }
    out.write(output.data(), static_cast<std::streamsize>(output.size()));
    if (!out) throw ZscoreBatchError("the output could not be written");
  }
  if (!out.flush()) throw ZscoreBatchError("the output could not be written");
  return summary;
}

}  // namespace olvar::anthro
