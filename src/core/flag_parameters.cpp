#include "core/flag_parameters.h"

#include <cmath>
#include <string_view>

#include "core/text_conversions.h"

namespace olvar::core {
namespace {

void reset_if_beyond_ten(std::string& offset, std::string_view reset_to, char separator) {
  if (std::fabs(parse_tolerant(offset, separator)) > 10.0f) offset = reset_to;
}

}  // namespace

FlagParameters with_offsets_checked(FlagParameters p, char decimal_separator) {
  for (std::string* low : {&p.waz_ol, &p.haz_ol, &p.whz_ol}) {
    reset_if_beyond_ten(*low, "-3", decimal_separator);
  }
  for (std::string* high : {&p.waz_oh, &p.haz_oh, &p.whz_oh}) {
    reset_if_beyond_ten(*high, "3", decimal_separator);
  }
  return p;
}

}  // namespace olvar::core
