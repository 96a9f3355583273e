#include "anthro/zscore_batch.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>
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

// One input record: its text as it stands (written back in front of the results) and its fields.
struct Record {
  std::string raw;
  std::vector<std::string> fields;
};

// The output of a run of records and what became of them.
struct RowBatch {
  std::string output;
  ZscoreBatchSummary summary;
};

void add_row(const Record& record, const std::array<int, kFieldCount>& position,
             Reference reference, const WhoReference& who, RowBatch& batch) {
  ZscoreBatchSummary& summary = batch.summary;
  std::string& output = batch.output;
  const bool nchs = reference == Reference::nchs1977;
  ++summary.rows;
  const RowInput row = read_row(record.fields, position);
  // Records pass through as they stand in the input (quotes and all); only the line end becomes
  // LF, which also ends a record read from a file with CR line ends.
  output += record.raw;
  if (row.unreadable) {
    // A field that is not a number must never turn into a wrong z-score: the row gets none.
    ++summary.rows_without_zscore;
    ++summary.unreadable_fields[std::string(kFieldNames[*row.unreadable]) +
                                (*row.unreadable == kSex       ? " not m, f, 1 or 2"
                                 : *row.unreadable == kMeasure ? " not l or h"
                                 : *row.unreadable == kOedema  ? " not y or n"
                                                               : " not a number")];
    output += nchs ? ",,,,,,,,\n" : ",,,,,\n";
    return;
  }
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

void merge(ZscoreBatchSummary& total, const ZscoreBatchSummary& part) {
  total.rows += part.rows;
  total.rows_without_zscore += part.rows_without_zscore;
  for (const auto& [reason, count] : part.unreadable_fields) total.unreadable_fields[reason] += count;
}

// Records read and evaluated together: enough to keep every core busy, few enough that memory
// stays small whatever the size of the file.
constexpr std::size_t kBlockRecords = 16384;

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
  std::string header(reader.raw());
  header += nchs ? ",waz,haz,whz,baz,muacz,wam,ham,whm\n" : ",waz,haz,whz,baz,muacz\n";
  out.write(header.data(), static_cast<std::streamsize>(header.size()));

  // Blocks of records are evaluated by one thread per core, each taking a run of records; while
  // they work, this thread writes the previous block's output, in input order, and reads the
  // next block. Reading stays on one thread: a quoted field may span lines, so only the reader
  // knows where a record ends.
  const std::size_t workers = std::max(1u, std::thread::hardware_concurrency());
  auto read_block = [&](std::vector<Record>& block) {
    block.clear();
    while (block.size() < kBlockRecords && next_record()) {
      if (fields.size() == 1 && trimmed(fields[0]).empty() && trimmed(reader.raw()).empty()) {
        continue;  // an empty line
      }
      block.push_back({std::string(reader.raw()), fields});
    }
  };
  std::vector<Record> block;
  std::vector<Record> next_block;
  read_block(block);
  std::vector<RowBatch> done;
  auto write_done = [&] {
    for (RowBatch& batch : done) {
      out.write(batch.output.data(), static_cast<std::streamsize>(batch.output.size()));
      if (!out) throw ZscoreBatchError("the output could not be written");
      merge(summary, batch.summary);
    }
    done.clear();
  };
  while (!block.empty()) {
    const std::size_t parts = std::min(workers, block.size());
    std::vector<RowBatch> batches(parts);
    std::vector<std::exception_ptr> failures(parts);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < parts; ++i) {
      threads.emplace_back([&, i] {
        try {
          const std::size_t from = block.size() * i / parts;
          const std::size_t to = block.size() * (i + 1) / parts;
          for (std::size_t k = from; k < to; ++k) {
            add_row(block[k], position, reference, who, batches[i]);
          }
        } catch (...) {
          failures[i] = std::current_exception();
        }
      });
    }
    try {
      write_done();
      read_block(next_block);
    } catch (...) {
      for (std::thread& thread : threads) thread.join();
      throw;
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    done = std::move(batches);
    block.swap(next_block);
  }
  write_done();
  if (!out.flush()) throw ZscoreBatchError("the output could not be written");
  return summary;
}

}  // namespace olvar::anthro
