#include "platform/environment.h"

#include <cstdlib>

namespace olvar::platform {

EnvironmentLookup process_environment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

std::optional<std::string> non_empty(const EnvironmentLookup& env, const std::string& name) {
  std::optional<std::string> value = env(name);
  if (!value || value->empty()) return std::nullopt;
  return value;
}

}  // namespace olvar::platform
