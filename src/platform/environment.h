#pragma once
// Reading environment variables through a value that can be replaced, so that folder and program
// searches can be tested with an environment of the test's own making.

#include <functional>
#include <optional>
#include <string>

namespace olvar::platform {

// Returns the value of a variable, or nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The environment of this process.
EnvironmentLookup process_environment();

// A set variable with a non-empty value; an empty value counts as unset, as the shells and the
// freedesktop.org specifications treat it.
std::optional<std::string> non_empty(const EnvironmentLookup& env, const std::string& name);

}  // namespace olvar::platform
