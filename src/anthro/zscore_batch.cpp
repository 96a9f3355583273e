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

// The output of a run of records and what became of them.
struct RowBatch {
  std::string output;
  ZscoreBatchSummary summary;
};

// One input record: its text as it stands (written back in front of the results) and its fields.
void add_row(std::string_view raw, const std::vector<std::string>& fields,
             const std::array<int, kFieldCount>& position, Reference reference,
             const WhoReference& who, RowBatch& batch) {
  ZscoreBatchSummary& summary = batch.summary;
  std::string& output = batch.output;
  const bool nchs = reference == Reference::nchs1977;
  ++summary.rows;
  const RowInput row = read_row(fields, position);
  // Records pass through as they stand in the input (quotes and all); only the line end becomes
  // LF, which also ends a record read from a file with CR line ends.
  output += raw;
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
  for (const auto& [reason, count] : part.unreadable_fields)
    total.unreadable_fields[reason] += count;
  total.rows_skipped += part.rows_skipped;
  for (const SkippedRecord& record : part.skipped) {
    if (total.skipped.size() >= ZscoreBatchSummary::kListedSkips) break;
    total.skipped.push_back(record);
  }
}

// A record of another number of fields than the header is counted and left out.
bool skip_ragged(std::size_t fields, int line, ZscoreBatchSummary& summary) {
  if (fields == summary.header_fields) return false;
  ++summary.rows_skipped;
  if (summary.skipped.size() < ZscoreBatchSummary::kListedSkips) {
    summary.skipped.push_back({line, fields});
  }
  return true;
}

// Bytes of whole records read and evaluated together: enough to keep every core busy, few enough
// that memory stays small whatever the size of the file.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Where a record ends in a run of CSV bytes that begins at a record: the offset just after its
// line end, and the line the next record starts on.
struct RecordEnd {
  std::size_t offset;
  int next_line;
};

// The ends of the records in `bytes`, found by the rules CsvReader reads by (a quote opens a
// quoted field only at the start of a field; inside one, line ends are text and "" is a quote;
// records end at LF, CR LF or a lone CR). Stops where the bytes end inside a record or where a
// CR or a quote would need the next byte to tell. Only the scan is done here: the records are
// read, and their errors found, by the readers of each piece.
std::vector<RecordEnd> record_ends(std::string_view bytes, char separator, int first_line) {
  std::vector<RecordEnd> ends;
  int line = first_line;
  bool field_start = true;
  bool quoted = false;
  const std::size_t size = bytes.size();
  for (std::size_t i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 == size) break;
        if (bytes[i + 1] == '"') {
          ++i;
        } else {
          quoted = false;
        }
      } else if (c == '\n') {
        ++line;
      } else if (c == '\r') {
        if (i + 1 == size) break;
        if (bytes[i + 1] != '\n') ++line;
      }
      continue;
    }
    if (c == '\n' || c == '\r') {
      if (c == '\r') {
        if (i + 1 == size) break;
        if (bytes[i + 1] == '\n') ++i;
      }
      ++line;
      ends.push_back({i + 1, line});
      field_start = true;
      continue;
    }
    if (c == separator) {
      field_start = true;
      continue;
    }
    if (c == '"' && field_start) quoted = true;
    field_start = false;
  }
  return ends;
}

// An input stream over bytes held in memory, without copying them.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

// A run of whole records in a block: where it starts, its length and the line it starts on.
struct Piece {
  std::size_t from = 0;
  std::size_t size = 0;
  int first_line = 1;
};

}  // namespace

std::string ZscoreBatchSummary::describe() const {
  std::string text = std::to_string(rows) + " rows; " + std::to_string(rows_without_zscore) +
                     " without any z-score";
  std::string reasons;
  for (const auto& [reason, count] : unreadable_fields) {
    reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
  }
  if (!reasons.empty()) text += "; rows with z-scores left empty: " + reasons;
  if (rows_skipped > 0) {
    text += "; " + std::to_string(rows_skipped) + " records left out: their number of fields " +
            "is not the header's " + std::to_string(header_fields);
  }
  return text;
}

std::vector<std::string> ZscoreBatchSummary::skipped_lines() const {
  std::vector<std::string> lines;
  for (const SkippedRecord& record : skipped) {
    lines.push_back("line " + std::to_string(record.line) + ": " +
                    std::to_string(record.fields) + " fields where the header has " +
                    std::to_string(header_fields) + "; the record was left out");
  }
  if (rows_skipped > static_cast<std::int64_t>(skipped.size())) {
    lines.push_back("and " + std::to_string(rows_skipped - static_cast<std::int64_t>(skipped.size())) +
                    " more records left out for their number of fields");
  }
  return lines;
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

  summary.header_fields = fields.size();
  const bool nchs = reference == Reference::nchs1977;
  std::string header(reader.raw());
  header += nchs ? ",waz,haz,whz,baz,muacz,wam,ham,whm\n" : ",waz,haz,whz,baz,muacz\n";
  out.write(header.data(), static_cast<std::streamsize>(header.size()));

  // The rest of the input goes in blocks of whole records. Each block is cut into one piece per
  // core at record ends; each piece is read and evaluated by its own thread while this thread
  // writes the previous block's output, in input order, and reads the next block.
  const std::size_t workers = std::max(1u, std::thread::hardware_concurrency());
  std::string pending(reader.unread());  // bytes read from the input, not yet in a block
  int pending_line = reader.next_line();
  bool input_ended = !in.good();
  auto read_more = [&](std::size_t wanted) {
    while (!input_ended && pending.size() < wanted) {
      const std::size_t had = pending.size();
      pending.resize(had + kBlockBytes);
      in.read(pending.data() + had, static_cast<std::streamsize>(kBlockBytes));
      pending.resize(had + static_cast<std::size_t>(in.gcount()));
      if (in.bad()) throw ZscoreBatchError("the input could not be read to its end");
      if (!in.good()) input_ended = true;
    }
  };
  // The next block into `block`, cut into `pieces`; false at the end of the input.
  auto read_block = [&](std::string& block, std::vector<Piece>& pieces) {
    pieces.clear();
    read_more(kBlockBytes);
    std::vector<RecordEnd> ends = record_ends(pending, ',', pending_line);
    while (ends.empty() && !input_ended) {  // a record longer than a block
      read_more(pending.size() * 2);
      ends = record_ends(pending, ',', pending_line);
    }
    if (input_ended) ends.push_back({pending.size(), -1});  // the rest, whatever it holds
    if (ends.back().offset == 0) return false;
    const std::size_t cut = ends.back().offset;
    block.assign(pending, 0, cut);
    const std::size_t parts = std::min(workers, ends.size());
    std::size_t from = 0;
    int line = pending_line;
    std::size_t e = 0;
    for (std::size_t i = 1; i <= parts; ++i) {
      const std::size_t target = cut * i / parts;
      while (ends[e].offset < target) ++e;
      if (ends[e].offset > from) {
        pieces.push_back({from, ends[e].offset - from, line});
        from = ends[e].offset;
        line = ends[e].next_line;
      }
    }
    pending_line = line;
    pending.erase(0, cut);
    return true;
  };
  auto evaluate_piece = [&](std::string_view bytes, int first_line, RowBatch& batch) {
    MemoryBuffer buffer(bytes);
    std::istream piece_in(&buffer);
    core::CsvReader piece_reader = core::CsvReader::continuing(piece_in, ',', first_line);
    std::vector<std::string> piece_fields;
    batch.output.reserve(bytes.size() + bytes.size() / 2);
    try {
      while (piece_reader.next(piece_fields)) {
        if (piece_fields.size() == 1 && trimmed(piece_fields[0]).empty() &&
            trimmed(piece_reader.raw()).empty()) {
          continue;  // an empty line
        }
        if (skip_ragged(piece_fields.size(), piece_reader.line(), batch.summary)) continue;
        add_row(piece_reader.raw(), piece_fields, position, reference, who, batch);
      }
    } catch (const core::CsvError& e) {
      throw ZscoreBatchError(std::string("the input is not well-formed CSV: ") + e.what());
    }
  };

  std::string block;
  std::string next_block;
  std::vector<Piece> pieces;
  std::vector<Piece> next_pieces;
  bool more = read_block(block, pieces);
  // The outputs of the block being evaluated and of the one before it, kept from block to block
  // so that their memory is not asked for afresh each time.
  std::vector<RowBatch> batches(workers);
  std::vector<RowBatch> done(workers);
  std::size_t done_count = 0;
  auto write_done = [&] {
    for (std::size_t i = 0; i < done_count; ++i) {
      const RowBatch& batch = done[i];
      out.write(batch.output.data(), static_cast<std::streamsize>(batch.output.size()));
      if (!out) throw ZscoreBatchError("the output could not be written");
      merge(summary, batch.summary);
    }
    done_count = 0;
  };
  while (more) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      batches[i].output.clear();
      batches[i].summary = {};
      batches[i].summary.header_fields = summary.header_fields;
    }
    std::vector<std::exception_ptr> failures(pieces.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      threads.emplace_back([&, i] {
        try {
          const Piece& piece = pieces[i];
          evaluate_piece(std::string_view(block).substr(piece.from, piece.size), piece.first_line,
                         batches[i]);
        } catch (...) {
          failures[i] = std::current_exception();
        }
      });
    }
    bool next_more = false;
    try {
      write_done();
      next_more = read_block(next_block, next_pieces);
    } catch (...) {
      for (std::thread& thread : threads) thread.join();
      throw;
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::exception_ptr& failure : failures) {
      if (failure) std::rethrow_exception(failure);
    }
    batches.swap(done);
    done_count = pieces.size();
    block.swap(next_block);
    pieces.swap(next_pieces);
    more = next_more;
  }
  write_done();
  if (!out.flush()) throw ZscoreBatchError("the output could not be written");
  return summary;
}

}  // namespace olvar::anthro
