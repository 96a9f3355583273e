#include "core/standard_variables.h"

namespace olvar::core {

std::string user_variable_name(std::string_view typed) {
  std::string name(typed.substr(0, kMaxUserVariableNameLength));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

std::optional<StdVar> standard_variable(std::string_view name) {
  for (int k = 1; k <= kStandardVariableCount; ++k) {
    if (kStandardHeaders[k] == name) return static_cast<StdVar>(k);
  }
  return std::nullopt;
}

}  // namespace olvar::core
