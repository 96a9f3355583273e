#pragma once
// The store of one column of a TextGrid. Cells are not separate heap objects: each is eight bytes
// in one array, holding a text of up to seven bytes inline (codes, numbers, most survey values)
// or the place of a longer text in the column's overflow bytes. Copying a column is two memory
// copies and moving one costs nothing, so that a table of 65,535 rows copies, grows and loses
// columns in about the time of a memcpy.
//
// The cells are kept in runs of rows: one main run holding most of them, and further runs only
// where written rows lie far from every run (a wide line at the top and another at the bottom of
// a section, with short lines between). A run takes in a new row only while at most about a
// fifth of its cells stay empty, so the memory of a column follows the cells it holds, never the
// distance between them; the cells outside every run are empty. A column never written costs
// nothing.
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
    // A row above the main run's first wraps round to a large index and so misses it too.
    if (row - main_.first < main_.cells.size()) return text_of(main_.cells[row - main_.first]);
    return others_.empty() ? std::string_view() : get_from_other_runs(row);
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

  // Rows first .. first + cells.size() - 1, `present` of them not empty.
  struct Run {
    std::size_t first = 0;
    std::vector<Cell> cells;
    std::size_t present = 0;
    std::size_t end() const { return first + cells.size(); }
    bool holds(std::size_t row) const { return row - first < cells.size(); }
  };
  // A run may grow to this many cells for `present` written ones.
  static std::size_t room_for(std::size_t present) { return present + present / 4 + 16; }

  std::string_view text_of(const Cell& cell) const;
  static bool is_empty(const Cell& cell) { return cell.bytes[kInlineBytes] == 0; }
  std::string_view get_from_other_runs(std::size_t row) const;
  // The run holding `row`, or null.
  Run* run_of(std::size_t row);
  // A run holding `row`, made by widening a near run or starting a new one.
  Run& make_room(std::size_t row);
  // The main run becomes the one holding the most cells; runs left empty go.
  void tidy_runs();
  // Every run merged into the main one, the rows between them empty.
  void flatten();
  static void recount(Run& run);
  // Marks the overflow bytes of `cell`, if any, as no longer used.
  void release(const Cell& cell);
  // Rewrites overflow_ with only the texts in use once most of it is garbage.
  void compact_if_wasteful();
  // Widens the main run to take in rows lo to hi (only with no other runs).
  void cover(std::size_t lo, std::size_t hi);

  Run main_;
  std::vector<Run> others_;  // sorted by row, apart from the main run and from each other
  std::string overflow_;
  std::size_t garbage_ = 0;  // overflow bytes no cell refers to any more
};

}  // namespace olvar::core
