#include "core/standard_variables.h"

namespace olvar::core {

std::optional<StdVar> standard_variable(std::string_view name) {
  for (int k = 1; k <= kStandardVariableCount; ++k) {
    if (kStandardHeaders[k] == name) return static_cast<StdVar>(k);
  }
  return std::nullopt;
}

}  // namespace olvar::core
