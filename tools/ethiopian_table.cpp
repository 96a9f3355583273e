// Writes ethiopian.dat, the table the Ethiopian date conversion reads: one line per day of the
// Ethiopian years 1900 to 2100 (Gregorian September 1907 to September 2108), fewer lines than
// the 100,000 the program reads.
//   olvar_ethiopian_table OUTPUT_FILE

#include <fstream>
#include <iostream>

#include "anthro/ethiopian_calendar.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: olvar_ethiopian_table OUTPUT_FILE\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  if (!out) {
    std::cerr << "olvar_ethiopian_table: cannot write " << argv[1] << "\n";
    return 1;
  }
  olvar::anthro::write_ethiopian_table(out, 1900, 2100);
  out.close();
  if (!out) {
    std::cerr << "olvar_ethiopian_table: writing " << argv[1] << " failed\n";
    return 1;
  }
  return 0;
}
