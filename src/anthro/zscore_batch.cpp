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

// Splits one comma-separated line into views of its fields; a field in double quotes may hold
// commas (its quotes stay in the view; the fields this reader interprets never need them).
void split_fields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (line[i] == ',' && !quoted) {
      fields.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  fields.push_back(line.substr(start));
}

std::string_view unquoted(std::string_view field) {
  field = core::trim_spaces(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = core::trim_spaces(field.substr(1, field.size() - 2));
  }
  return field;
}

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

RowInput read_row(const std::vector<std::string_view>& fields,
                  const std::array<int, kFieldCount>& position) {
  RowInput row;
  Measurement& m = row.measurement;
  auto text = [&](Field f) -> std::string_view {
    const int at = position[f];
    if (at < 0 || at >= static_cast<int>(fields.size())) return {};
    return unquoted(fields[static_cast<std::size_t>(at)]);
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

// The rows of a part of the input and what became of them.
struct RowBatch {
  std::string output;
  ZscoreBatchSummary summary;
};

// Appends the output line of one input line (without its line end) to `batch`.
void add_row(std::string_view line, const std::array<int, kFieldCount>& position,
             Reference reference, const WhoReference& who, std::vector<std::string_view>& fields,
             RowBatch& batch) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (core::trim_spaces(line).empty()) return;
  ZscoreBatchSummary& summary = batch.summary;
  std::string& output = batch.output;
  const bool nchs = reference == Reference::nchs1977;
  ++summary.rows;
  split_fields(line, fields);
  const RowInput row = read_row(fields, position);

  output += line;
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

// Evaluates the whole lines of `text` (each ended by a line feed, the last one maybe not).
void add_rows(std::string_view text, const std::array<int, kFieldCount>& position,
              Reference reference, const WhoReference& who, RowBatch& batch) {
  std::vector<std::string_view> fields;
  batch.output.reserve(text.size() + text.size() / 2);  // the input and about 30 bytes of results
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    add_row(text.substr(0, end), position, reference, who, fields, batch);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

// Reads the next block of whole lines (about kBlockBytes) into `block`; `carry` holds the start
// of a line that the previous read cut and receives the start of the line this one cuts.
constexpr std::size_t kBlockBytes = 1 << 20;
void read_block(std::istream& in, std::string& carry, std::string& block) {
  block.swap(carry);
  carry.clear();
  const std::size_t had = block.size();
  block.resize(had + kBlockBytes);
  in.read(block.data() + had, static_cast<std::streamsize>(kBlockBytes));
  block.resize(had + static_cast<std::size_t>(in.gcount()));
  // At the end (or when reading failed, which the caller reports) the last line needs no end.
  if (!in) return;
  const std::size_t last_end = block.rfind('\n');
  if (last_end == std::string::npos) {
    carry.swap(block);  // one line longer than a block: read on until it ends
    block.clear();
    return;
  }
  carry.assign(block, last_end + 1);
  block.resize(last_end + 1);
}

// Splits `text` into `parts` runs of whole lines of about equal size.
std::vector<std::string_view> split_at_lines(std::string_view text, std::size_t parts) {
  std::vector<std::string_view> runs;
  while (parts > 1 && !text.empty()) {
    std::size_t cut = text.size() / parts;
    cut = text.find('\n', cut);
    cut = cut == std::string_view::npos ? text.size() : cut + 1;
    runs.push_back(text.substr(0, cut));
    text.remove_prefix(cut);
    --parts;
  }
  runs.push_back(text);
  return runs;
}

void merge(ZscoreBatchSummary& total, const ZscoreBatchSummary& part) {
  total.rows += part.rows;
  total.rows_without_zscore += part.rows_without_zscore;
  for (const auto& [reason, count] : part.unreadable_fields) total.unreadable_fields[reason] += count;
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
  std::string line;
  if (!std::getline(in, line))
    throw ZscoreBatchError("the input is empty: a header line is needed");
  if (!line.empty() && line.back() == '\r') line.pop_back();

  std::vector<std::string_view> fields;
  split_fields(line, fields);
  std::array<int, kFieldCount> position;
  position.fill(-1);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string name = lower(unquoted(fields[i]));
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
  std::string header = line;
  header += nchs ? ",waz,haz,whz,baz,muacz,wam,ham,whm\n" : ",waz,haz,whz,baz,muacz\n";
  out.write(header.data(), static_cast<std::streamsize>(header.size()));

  // Blocks of lines are evaluated by one thread per core, each taking a run of whole lines;
  // while they work, this thread writes the previous block's output, in input order, and reads
  // the next block. Memory stays at a few blocks whatever the size of the file.
  const std::size_t workers = std::max(1u, std::thread::hardware_concurrency());
  std::string carry;
  std::string block;
  std::string next_block;
  read_block(in, carry, block);
  std::vector<RowBatch> done;
  auto write_done = [&] {
    for (RowBatch& batch : done) {
      out.write(batch.output.data(), static_cast<std::streamsize>(batch.output.size()));
      if (!out) throw ZscoreBatchError("the output could not be written");
      merge(summary, batch.summary);
    }
    done.clear();
  };
  while (!block.empty() || !carry.empty()) {
    const std::vector<std::string_view> runs = split_at_lines(block, workers);
    std::vector<RowBatch> batches(runs.size());
    std::vector<std::exception_ptr> failures(runs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < runs.size(); ++i) {
      threads.emplace_back([&, i] {
        try {
          add_rows(runs[i], position, reference, who, batches[i]);
        } catch (...) {
          failures[i] = std::current_exception();
        }
      });
    }
    try {
      write_done();
      read_block(in, carry, next_block);
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
  if (in.bad()) throw ZscoreBatchError("the input could not be read to its end");
  if (!out.flush()) throw ZscoreBatchError("the output could not be written");
  return summary;
}

}  // namespace olvar::anthro
