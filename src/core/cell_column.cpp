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

void CellColumn::grow_to(std::size_t size) {
  if (cells_.size() < size) cells_.resize(size);
}

void CellColumn::set(std::size_t row, std::string_view text) {
  if (row >= cells_.size()) {
    if (text.empty()) return;  // already empty: the column stays as short as it is
    if (inside(text, cells_.data(), cells_.size() * sizeof(Cell))) {
      const std::string copy(text);
      set(row, copy);
      return;
    }
    grow_to(row + 1);
  }
  if (text.size() > kInlineBytes && inside(text, overflow_.data(), overflow_.size())) {
    const std::string copy(text);  // the overflow bytes may move while the copy is appended
    set(row, copy);
    return;
  }
  Cell& cell = cells_[row];
  release(cell);
  if (text.size() <= kInlineBytes) {
    Cell fresh;
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
  cells_ = {};
  overflow_ = {};
  garbage_ = 0;
}

void CellColumn::truncate(std::size_t rows) {
  if (rows >= cells_.size()) return;
  if (rows == 0) {
    clear();
    return;
  }
  for (std::size_t row = rows; row < cells_.size(); ++row) release(cells_[row]);
  cells_.resize(rows);
  cells_.shrink_to_fit();
  compact_if_wasteful();
}

void CellColumn::insert(std::size_t at, std::size_t count) {
  if (at >= cells_.size() || count == 0) return;  // only empty cells below: nothing moves
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at), count, Cell{});
}

void CellColumn::erase(std::size_t at, std::size_t count) {
  if (at >= cells_.size() || count == 0) return;
  const std::size_t end = std::min(cells_.size(), at + count);
  for (std::size_t row = at; row < end; ++row) release(cells_[row]);
  cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(at),
               cells_.begin() + static_cast<std::ptrdiff_t>(end));
  compact_if_wasteful();
}

void CellColumn::swap_cells(std::size_t a, std::size_t b) {
  if (a >= cells_.size() && b >= cells_.size()) return;
  grow_to(std::max(a, b) + 1);
  std::swap(cells_[a], cells_[b]);
}

void CellColumn::permute(std::size_t first, const std::vector<int>& source_rows) {
  if (first >= cells_.size() || source_rows.empty()) return;
  grow_to(first + source_rows.size());
  std::vector<Cell> moved(source_rows.size());
  for (std::size_t i = 0; i < source_rows.size(); ++i) {
    moved[i] = cells_[static_cast<std::size_t>(source_rows[i])];
  }
  std::copy(moved.begin(), moved.end(), cells_.begin() + static_cast<std::ptrdiff_t>(first));
}

bool operator==(const CellColumn& a, const CellColumn& b) {
  const std::size_t rows = std::max(a.cells_.size(), b.cells_.size());
  for (std::size_t row = 0; row < rows; ++row) {
    if (a.get(row) != b.get(row)) return false;
  }
  return true;
}

}  // namespace olvar::core
