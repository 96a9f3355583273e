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

void CellColumn::release(const Cell& cell) {
  if (cell.bytes[kInlineBytes] == kOverflow) {
    garbage_ += 4 + read_u32(overflow_.data() + read_u32(cell.bytes.data()));
  }
}

void CellColumn::cover(std::size_t lo, std::size_t hi) {
  if (cells_.empty()) {
    first_ = lo;
    cells_.resize(hi - lo + 1);
    return;
  }
  if (lo < first_) {
    cells_.insert(cells_.begin(), first_ - lo, Cell{});
    first_ = lo;
  }
  if (hi - first_ >= cells_.size()) cells_.resize(hi - first_ + 1);
}

void CellColumn::set(std::size_t row, std::string_view text) {
  if (row - first_ >= cells_.size()) {
    if (text.empty()) return;  // already empty: the stored rows stay as they are
    if (inside(text, cells_.data(), cells_.size() * sizeof(Cell))) {
      const std::string copy(text);
      set(row, copy);
      return;
    }
    cover(row, row);
  }
  if (text.size() > kInlineBytes && inside(text, overflow_.data(), overflow_.size())) {
    const std::string copy(text);  // the overflow bytes may move while the copy is appended
    set(row, copy);
    return;
  }
  Cell& cell = cells_[row - first_];
  release(cell);
  if (text.size() <= kInlineBytes) {
    Cell fresh{};
    std::memcpy(fresh.bytes.data(), text.data(), text.size());
    fresh.bytes[kInlineBytes] = static_cast<char>(text.size());
    cell = fresh;  // through a copy: `text` may be this very cell
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
  compact_if_wasteful();
}

void CellColumn::compact_if_wasteful() {
  constexpr std::size_t kSmallWaste = 64 * 1024;
  if (garbage_ <= kSmallWaste || garbage_ * 2 <= overflow_.size()) return;
  std::string kept;
  kept.reserve(overflow_.size() - garbage_);
  for (Cell& cell : cells_) {
    if (cell.bytes[kInlineBytes] != kOverflow) continue;
    const std::uint32_t offset = read_u32(cell.bytes.data());
    const std::uint32_t length = read_u32(overflow_.data() + offset);
    write_u32(cell.bytes.data(), static_cast<std::uint32_t>(kept.size()));
    kept.append(overflow_, offset, 4 + std::size_t{length});
  }
  overflow_ = std::move(kept);
  garbage_ = 0;
}

void CellColumn::clear() {
  // The storage stays: a column emptied is usually filled again at once (the analysis table is
  // rebuilt in place), and fresh memory would have to be faulted in anew.
  first_ = 0;
  cells_.clear();
  overflow_.clear();
  garbage_ = 0;
}

void CellColumn::truncate(std::size_t rows) {
  if (rows >= first_ + cells_.size()) return;
  const std::size_t keep = rows > first_ ? rows - first_ : 0;
  for (std::size_t i = keep; i < cells_.size(); ++i) release(cells_[i]);
  cells_.resize(keep);
  cells_.shrink_to_fit();
  if (cells_.empty()) {
    clear();
    overflow_.shrink_to_fit();
    return;
  }
  compact_if_wasteful();
}

void CellColumn::insert(std::size_t at, std::size_t count) {
  if (cells_.empty() || count == 0 || at >= first_ + cells_.size()) return;
  if (at <= first_) {
    first_ += count;  // only empty cells above: the stored ones move down as a whole
    return;
  }
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at - first_), count, Cell{});
}

void CellColumn::erase(std::size_t at, std::size_t count) {
  if (cells_.empty() || count == 0) return;
  const std::size_t end = at + count;
  const std::size_t lo = std::max(at, first_);
  const std::size_t hi = std::min(end, first_ + cells_.size());
  if (lo < hi) {
    for (std::size_t row = lo; row < hi; ++row) release(cells_[row - first_]);
    cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(lo - first_),
                 cells_.begin() + static_cast<std::ptrdiff_t>(hi - first_));
  }
  // The stored rows after the erased ones move up by `count`; those inside it are gone.
  if (first_ >= end) {
    first_ -= count;
  } else if (first_ > at) {
    first_ = at;
  }
  if (cells_.empty()) {
    first_ = 0;
    return;
  }
  compact_if_wasteful();
}

void CellColumn::swap_cells(std::size_t a, std::size_t b) {
  if (get(a).empty() && get(b).empty()) return;
  cover(std::min(a, b), std::max(a, b));
  std::swap(cells_[a - first_], cells_[b - first_]);
}

void CellColumn::permute(std::size_t first, const std::vector<int>& source_rows) {
  const std::size_t end = first + source_rows.size();
  if (cells_.empty() || source_rows.empty() || end <= first_ || first >= first_ + cells_.size()) {
    return;  // only empty cells change places
  }
  cover(first, end - 1);
  std::vector<Cell> moved(source_rows.size());
  for (std::size_t i = 0; i < source_rows.size(); ++i) {
    moved[i] = cells_[static_cast<std::size_t>(source_rows[i]) - first_];
  }
  std::copy(moved.begin(), moved.end(),
            cells_.begin() + static_cast<std::ptrdiff_t>(first - first_));
}

bool operator==(const CellColumn& a, const CellColumn& b) {
  const std::size_t from = std::min(a.first_, b.first_);
  const std::size_t to = std::max(a.first_ + a.cells_.size(), b.first_ + b.cells_.size());
  for (std::size_t row = from; row < to; ++row) {
    if (a.get(row) != b.get(row)) return false;
  }
  return true;
}

}  // namespace olvar::core
