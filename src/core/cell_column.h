#pragma once
// The store of one column of a TextGrid. Cells are not separate heap objects: each is eight bytes
// in one array, holding a text of up to seven bytes inline (codes, numbers, most survey values)
// or the place of a longer text in the column's overflow bytes. Copying a column is two memory
// copies and moving one costs nothing, so that a table of 65,535 rows copies, grows and loses
// columns in about the time of a memcpy.
//
// The cells array covers only the rows from the first to the last one ever written: the cells
// outside it are empty. So a column that was never written costs nothing, and one written in a
// single row (a wide header line, or one wide line among short ones) costs a cell or two.
//
// A view returned by get() stays valid until the next change to this column.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::core {

class CellColumn {
 public:
  std::string_view get(std::size_t row) const {
    // A row above first_ wraps round to a large index and so reads as empty too.
    return row - first_ < cells_.size() ? text_of(cells_[row - first_]) : std::string_view();
  }
  void set(std::size_t row, std::string_view text);

  // Empties every cell, keeping the storage for the texts that will fill it again.
  void clear();
  // Cells at and past `rows` become empty (the table got shorter).
  void truncate(std::size_t rows);
  // Empty cells before `at`; the cells from `at` on move down.
  void insert(std::size_t at, std::size_t count);
  // Removes the cells from `at` to `at + count`; the cells after them move up.
  void erase(std::size_t at, std::size_t count);
  void swap_cells(std::size_t a, std::size_t b);
  // Row first + i receives the cell that was at source_rows[i] (already checked to be a
  // permutation of first .. first + source_rows.size() - 1).
  void permute(std::size_t first, const std::vector<int>& source_rows);

  // Same texts in every row, however they are stored.
  friend bool operator==(const CellColumn& a, const CellColumn& b);

 private:
  // Bytes 0-6 the text and byte 7 its length (0 to 7); or byte 7 kOverflow and bytes 0-3 the
  // offset in overflow_ of a 4-byte length followed by the text.
  struct Cell {
    std::array<char, 8> bytes;  // trivial, so that arrays of cells copy as plain memory
  };
  static constexpr std::size_t kInlineBytes = 7;
  static constexpr char kOverflow = static_cast<char>(0xFF);

  std::string_view text_of(const Cell& cell) const;
  // Marks the overflow bytes of `cell`, if any, as no longer used.
  void release(const Cell& cell);
  // Rewrites overflow_ with only the texts in use once most of it is garbage.
  void compact_if_wasteful();
  // Widens the stored rows to take in rows lo to hi.
  void cover(std::size_t lo, std::size_t hi);

  std::size_t first_ = 0;  // the row of cells_[0]
  std::vector<Cell> cells_;
  std::string overflow_;
  std::size_t garbage_ = 0;  // overflow bytes no cell refers to any more
};

}  // namespace olvar::core
