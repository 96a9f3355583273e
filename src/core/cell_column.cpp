#include "core/cell_column.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace olvar::core {

namespace {

std::uint32_t read_u32(const char* from) {
  std::uint32_t value;
  std::memcpy(&value, from, sizeof value);
  return value;
}

void write_u32(char* to, std::uint32_t value) { std::memcpy(to, &value, sizeof value); }

// Whether `text` lies in the bytes [begin, begin + size): such a text must be copied before the
// store that holds it changes.
bool inside(std::string_view text, const void* begin, std::size_t size) {
  if (text.empty() || size == 0) return false;
  const auto* first = static_cast<const char*>(begin);
  return !std::less<const char*>()(text.data(), first) &&
         std::less<const char*>()(text.data(), first + size);
}

}  // namespace

std::string_view CellColumn::text_of(const Cell& cell) const {
  const char tag = cell.bytes[kInlineBytes];
  if (tag != kOverflow) {
    return {cell.bytes.data(), static_cast<std::size_t>(static_cast<unsigned char>(tag))};
  }
  const std::uint32_t offset = read_u32(cell.bytes.data());
  return {overflow_.data() + offset + 4, read_u32(overflow_.data() + offset)};
}

std::string_view CellColumn::get_from_other_runs(std::size_t row) const {
  auto after = std::upper_bound(others_.begin(), others_.end(), row,
                                [](std::size_t r, const Run& run) { return r < run.first; });
  if (after == others_.begin()) return {};
  const Run& run = *(after - 1);
  return run.holds(row) ? text_of(run.cells[row - run.first]) : std::string_view();
}

CellColumn::Run* CellColumn::run_of(std::size_t row) {
  if (main_.holds(row)) return &main_;
  auto after = std::upper_bound(others_.begin(), others_.end(), row,
                                [](std::size_t r, const Run& run) { return r < run.first; });
  if (after == others_.begin()) return nullptr;
  Run& run = *(after - 1);
  return run.holds(row) ? &run : nullptr;
}

void CellColumn::recount(Run& run) {
  run.present = static_cast<std::size_t>(std::count_if(run.cells.begin(), run.cells.end(),
                                                       [](const Cell& c) { return !is_empty(c); }));
}

void CellColumn::release(const Cell& cell) {
  if (cell.bytes[kInlineBytes] == kOverflow) {
    garbage_ += 4 + read_u32(overflow_.data() + read_u32(cell.bytes.data()));
  }
}

CellColumn::Run& CellColumn::make_room(std::size_t row) {
  // Reading a file writes each column row after row: the next row joins the main run.
  if (row == main_.end() && !main_.cells.empty() &&
      (others_.empty() || others_.back().first < main_.first) &&
      main_.cells.size() + 1 <= room_for(main_.present + 1)) {
    main_.cells.emplace_back();
    return main_;
  }
  if (main_.cells.empty() && others_.empty()) {
    main_.first = row;
    main_.cells.assign(1, Cell{});
    return main_;
  }
  // The nearest run ending at or before `row` and the nearest one starting after it.
  auto next = std::upper_bound(others_.begin(), others_.end(), row,
                               [](std::size_t r, const Run& run) { return r < run.first; });
  Run* before = next == others_.begin() ? nullptr : &*(next - 1);
  Run* after = next == others_.end() ? nullptr : &*next;
  if (!main_.cells.empty()) {
    if (main_.end() <= row && (!before || main_.first > before->first)) before = &main_;
    if (main_.first > row && (!after || main_.first < after->first)) after = &main_;
  }
  Run* grown = nullptr;
  if (before && row - before->first + 1 <= room_for(before->present + 1)) {
    before->cells.resize(row - before->first + 1);
    grown = before;
  } else if (after && after->end() - row <= room_for(after->present + 1)) {
    after->cells.insert(after->cells.begin(), after->first - row, Cell{});
    after->first = row;
    grown = after;
  }
  if (!grown) {
    Run fresh;
    fresh.first = row;
    fresh.cells.assign(1, Cell{});
    return *others_.insert(next, std::move(fresh));
  }
  // A run grown up to its neighbour takes the neighbour in (the main run is always the one kept).
  if (grown == before && after && before->end() == after->first) {
    Run& kept = after == &main_ ? *after : *before;
    Run& taken = &kept == before ? *after : *before;
    if (&kept == before) {
      kept.cells.insert(kept.cells.end(), taken.cells.begin(), taken.cells.end());
    } else {
      kept.cells.insert(kept.cells.begin(), taken.cells.begin(), taken.cells.end());
      kept.first = taken.first;
    }
    kept.present += taken.present;
    // `taken` is never the main run, and comes after `kept` when both are other runs, so the
    // erasure leaves `kept` where it is.
    others_.erase(others_.begin() + (&taken - others_.data()));
    grown = &kept;
  }
  // The main run is the one holding the most cells, where most reads find their cell first.
  if (grown != &main_ && grown->present > main_.present) {
    std::swap(main_, *grown);
    if (grown->cells.empty()) {
      others_.erase(others_.begin() + (grown - others_.data()));
    } else {
      std::sort(others_.begin(), others_.end(),
                [](const Run& a, const Run& b) { return a.first < b.first; });
    }
    return main_;
  }
  return *grown;
}

void CellColumn::tidy_runs() {
  others_.erase(std::remove_if(others_.begin(), others_.end(),
                               [](const Run& run) { return run.cells.empty(); }),
                others_.end());
  if (others_.empty()) return;
  auto largest = std::max_element(others_.begin(), others_.end(),
                                  [](const Run& a, const Run& b) { return a.present < b.present; });
  if (!main_.cells.empty() && largest->present <= main_.present) return;
  std::swap(main_, *largest);
  if (largest->cells.empty()) {
    others_.erase(largest);
  } else {
    std::sort(others_.begin(), others_.end(),
              [](const Run& a, const Run& b) { return a.first < b.first; });
  }
}

void CellColumn::flatten() {
  if (others_.empty()) return;
  std::size_t lo = main_.cells.empty() ? others_.front().first : main_.first;
  std::size_t hi = main_.cells.empty() ? others_.front().end() : main_.end();
  for (const Run& run : others_) {
    lo = std::min(lo, run.first);
    hi = std::max(hi, run.end());
  }
  Run merged;
  merged.first = lo;
  merged.cells.assign(hi - lo, Cell{});
  for (const Run* run : {&main_}) {
    std::copy(run->cells.begin(), run->cells.end(),
              merged.cells.begin() + static_cast<std::ptrdiff_t>(run->first - lo));
    merged.present += run->present;
  }
  for (const Run& run : others_) {
    std::copy(run.cells.begin(), run.cells.end(),
              merged.cells.begin() + static_cast<std::ptrdiff_t>(run.first - lo));
    merged.present += run.present;
  }
  main_ = std::move(merged);
  others_.clear();
}

void CellColumn::cover(std::size_t lo, std::size_t hi) {
  std::vector<Cell>& cells = main_.cells;
  if (cells.empty()) {
    main_.first = lo;
    cells.resize(hi - lo + 1);
    return;
  }
  if (lo < main_.first) {
    cells.insert(cells.begin(), main_.first - lo, Cell{});
    main_.first = lo;
  }
  if (hi - main_.first >= cells.size()) cells.resize(hi - main_.first + 1);
}

void CellColumn::set(std::size_t row, std::string_view text) {
  if (text.size() > kInlineBytes && inside(text, overflow_.data(), overflow_.size())) {
    const std::string copy(text);  // the overflow bytes may move while the copy is appended
    set(row, copy);
    return;
  }
  Run* run = main_.holds(row) ? &main_ : others_.empty() ? nullptr : run_of(row);
  char local[kInlineBytes];
  if (!run) {
    if (text.empty()) return;  // already empty: the stored rows stay as they are
    // A short text may be one of this column's own cells, which move when rows are made.
    if (text.size() <= kInlineBytes) {
      std::memcpy(local, text.data(), text.size());
      text = std::string_view(local, text.size());
    }
    if (row == main_.end() && others_.empty() && !main_.cells.empty() &&
        main_.cells.size() + 1 <= room_for(main_.present + 1)) {
      main_.cells.emplace_back();  // the common case of make_room, without the call
      run = &main_;
    } else {
      run = &make_room(row);
    }
  }
  Cell& cell = run->cells[row - run->first];
  const bool was_empty = is_empty(cell);
  release(cell);
  if (text.size() <= kInlineBytes) {
    Cell fresh{};
    std::memcpy(fresh.bytes.data(), text.data(), text.size());
    fresh.bytes[kInlineBytes] = static_cast<char>(text.size());
    cell = fresh;
  } else {
    if (overflow_.size() + 4 + text.size() > UINT32_MAX) {
      throw std::length_error("a column of the table holds more than 4 GB of text");
    }
    const auto offset = static_cast<std::uint32_t>(overflow_.size());
    char length[4];
    write_u32(length, static_cast<std::uint32_t>(text.size()));
    overflow_.append(length, 4);
    overflow_.append(text);
    write_u32(cell.bytes.data(), offset);
    cell.bytes[kInlineBytes] = kOverflow;
  }
  if (was_empty && !text.empty()) ++run->present;
  if (!was_empty && text.empty()) --run->present;
  compact_if_wasteful();
}

void CellColumn::compact_if_wasteful() {
  constexpr std::size_t kSmallWaste = 64 * 1024;
  if (garbage_ <= kSmallWaste || garbage_ * 2 <= overflow_.size()) return;
  std::string kept;
  kept.reserve(overflow_.size() - garbage_);
  auto keep = [&](Run& run) {
    for (Cell& cell : run.cells) {
      if (cell.bytes[kInlineBytes] != kOverflow) continue;
      const std::uint32_t offset = read_u32(cell.bytes.data());
      const std::uint32_t length = read_u32(overflow_.data() + offset);
      write_u32(cell.bytes.data(), static_cast<std::uint32_t>(kept.size()));
      kept.append(overflow_, offset, 4 + std::size_t{length});
    }
  };
  keep(main_);
  for (Run& run : others_) keep(run);
  overflow_ = std::move(kept);
  garbage_ = 0;
}

void CellColumn::clear() {
  // The main run's storage stays: a column emptied is usually filled again at once (the
  // analysis table is rebuilt in place), and fresh memory would have to be faulted in anew.
  main_.first = 0;
  main_.cells.clear();
  main_.present = 0;
  others_.clear();
  overflow_.clear();
  garbage_ = 0;
}

void CellColumn::truncate(std::size_t rows) {
  bool changed = false;
  auto cut = [&](Run& run) {
    if (rows >= run.end()) return;
    const std::size_t keep = rows > run.first ? rows - run.first : 0;
    for (std::size_t i = keep; i < run.cells.size(); ++i) release(run.cells[i]);
    run.cells.resize(keep);
    run.cells.shrink_to_fit();
    recount(run);
    changed = true;
  };
  cut(main_);
  for (Run& run : others_) cut(run);
  if (!changed) return;
  tidy_runs();
  if (main_.cells.empty()) {
    clear();
    overflow_.shrink_to_fit();
    return;
  }
  compact_if_wasteful();
}

void CellColumn::insert(std::size_t at, std::size_t count) {
  if (count == 0) return;
  auto shift = [&](Run& run) {
    if (run.cells.empty() || at >= run.end()) return;
    if (at <= run.first) {
      run.first += count;  // only empty cells above: the stored ones move down as a whole
      return;
    }
    run.cells.insert(run.cells.begin() + static_cast<std::ptrdiff_t>(at - run.first), count,
                     Cell{});
  };
  shift(main_);
  for (Run& run : others_) shift(run);
}

void CellColumn::erase(std::size_t at, std::size_t count) {
  if (count == 0) return;
  const std::size_t end = at + count;
  auto remove = [&](Run& run) {
    if (run.cells.empty()) return;
    const std::size_t lo = std::max(at, run.first);
    const std::size_t hi = std::min(end, run.end());
    if (lo < hi) {
      for (std::size_t row = lo; row < hi; ++row) release(run.cells[row - run.first]);
      run.cells.erase(run.cells.begin() + static_cast<std::ptrdiff_t>(lo - run.first),
                      run.cells.begin() + static_cast<std::ptrdiff_t>(hi - run.first));
      recount(run);
    }
    // The stored rows after the erased ones move up by `count`; those inside it are gone.
    if (run.first >= end) {
      run.first -= count;
    } else if (run.first > at) {
      run.first = at;
    }
  };
  remove(main_);
  for (Run& run : others_) remove(run);
  tidy_runs();
  if (main_.cells.empty()) {
    main_.first = 0;
    return;
  }
  compact_if_wasteful();
}

void CellColumn::swap_cells(std::size_t a, std::size_t b) {
  if (get(a).empty() && get(b).empty()) return;
  const std::string text_a(get(a));
  const std::string text_b(get(b));
  set(a, text_b);
  set(b, text_a);
}

void CellColumn::permute(std::size_t first, const std::vector<int>& source_rows) {
  flatten();  // sorting moves cells among rows of data: one run takes them all
  std::vector<Cell>& cells = main_.cells;
  const std::size_t end = first + source_rows.size();
  if (cells.empty() || source_rows.empty() || end <= main_.first ||
      first >= main_.first + cells.size()) {
    return;  // only empty cells change places
  }
  cover(first, end - 1);
  std::vector<Cell> moved(source_rows.size());
  for (std::size_t i = 0; i < source_rows.size(); ++i) {
    moved[i] = cells[static_cast<std::size_t>(source_rows[i]) - main_.first];
  }
  std::copy(moved.begin(), moved.end(),
            cells.begin() + static_cast<std::ptrdiff_t>(first - main_.first));
}

bool operator==(const CellColumn& a, const CellColumn& b) {
  std::size_t from = SIZE_MAX;
  std::size_t to = 0;
  for (const CellColumn* column : {&a, &b}) {
    if (!column->main_.cells.empty()) {
      from = std::min(from, column->main_.first);
      to = std::max(to, column->main_.end());
    }
    for (const CellColumn::Run& run : column->others_) {
      from = std::min(from, run.first);
      to = std::max(to, run.end());
    }
  }
  for (std::size_t row = from; row < to; ++row) {
    if (a.get(row) != b.get(row)) return false;
  }
  return true;
}

}  // namespace olvar::core
