#include "core/date_conventions.h"

#include <algorithm>
#include <array>

namespace olvar::core {

namespace {

void replace_all(std::string& text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
}

void drop_one_leading_zero(std::string& part) {
  if (!part.empty() && part.front() == '0') part.erase(0, 1);
}

}  // namespace

std::string_view order_code(DateOrder order) {
  switch (order) {
    case DateOrder::dmy: return "dmy";
    case DateOrder::mdy: return "mdy";
    case DateOrder::ymd: return "ymd";
    case DateOrder::unknown: break;
  }
  return "";
}

DateOrder order_from_code(std::string_view code) {
  if (code == "dmy") return DateOrder::dmy;
  if (code == "mdy") return DateOrder::mdy;
  if (code == "ymd") return DateOrder::ymd;
  return DateOrder::unknown;
}

std::string convert_date_from_file_order(std::string_view text, DateOrder file_order,
                                         const DateConventions& system) {
  const char sep = system.separator;
  std::string date(text);
  // Separator unification: the first of ",", ".", "-", "/" that gives the system separator.
  for (const char candidate : {',', '.', '-', '/'}) {
    if (date.find(sep) != std::string::npos) break;
    replace_all(date, candidate, sep);
  }

  if (file_order != system.order && file_order != DateOrder::unknown &&
      system.order != DateOrder::unknown) {
    const auto first = date.find(sep);
    const auto second = first == std::string::npos ? std::string::npos : date.find(sep, first + 1);
    std::array<std::string, 3> part;
    part[0] = date.substr(0, first);
    if (first != std::string::npos) {
      part[1] = date.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                   : second - first - 1);
    }
    if (second != std::string::npos) part[2] = date.substr(second + 1);

    if (file_order != DateOrder::ymd) drop_one_leading_zero(part[0]);
    drop_one_leading_zero(part[1]);
    if (file_order != DateOrder::dmy) drop_one_leading_zero(part[2]);

    // Positions (0-based) of the file's parts in the system's order.
    std::array<int, 3> take{0, 1, 2};
    using O = DateOrder;
    if (file_order == O::dmy && system.order == O::mdy) take = {1, 0, 2};
    if (file_order == O::dmy && system.order == O::ymd) take = {2, 1, 0};
    if (file_order == O::mdy && system.order == O::dmy) take = {1, 0, 2};
    if (file_order == O::mdy && system.order == O::ymd) take = {2, 0, 1};
    if (file_order == O::ymd && system.order == O::dmy) take = {2, 1, 0};
    if (file_order == O::ymd && system.order == O::mdy) take = {1, 2, 0};
    date = part[take[0]] + sep + part[take[1]] + sep + part[take[2]];
  }

  if (date == "//" || date == ".." || date == ",,") date.clear();
  return date;
}

}  // namespace olvar::core
