#pragma once
// Where the tests find their files; set by the build.

#include <string>

namespace olvar::test {

inline std::string source_path(const std::string& relative) {
  return std::string(OLVAR_SOURCE_DIR) + "/" + relative;
}
inline std::string build_data_path(const std::string& name) {
  return std::string(OLVAR_BUILD_DATA_DIR) + "/" + name;
}
inline std::string survey_data_path(const std::string& name) {
  return std::string(OLVAR_SURVEY_DATA_DIR) + "/" + name;
}
inline std::string who_table_path(const std::string& name) {
  return std::string(OLVAR_WHO_DIR) + "/" + name;
}
inline std::string cli_path() { return OLVAR_CLI_PATH; }

}  // namespace olvar::test
