#include "workspace/recovery.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <system_error>

#include "platform/safe_write.h"

namespace olvar::workspace {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kInfoHeading = "Olvar recovery copy";

}  // namespace

RecoveryFiles recovery_files(const fs::path& settings_file) {
  const fs::path folder = settings_file.parent_path();
  return {folder / "recovery.as", folder / "recovery.txt"};
}

std::string local_time_text() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

void write_recovery(const RecoveryFiles& files, std::string_view survey_bytes,
                    const std::string& original_file, const std::string& saved_at) {
  platform::write_file_safely(files.survey, survey_bytes);
  platform::write_file_safely(
      files.info, std::string(kInfoHeading) + "\n" + original_file + "\n" + saved_at + "\n");
}

std::optional<RecoveryOffer> pending_recovery(const RecoveryFiles& files) {
  std::error_code ec;
  if (!fs::is_regular_file(files.survey, ec)) return std::nullopt;
  std::ifstream in(files.info);
  std::string heading;
  RecoveryOffer offer;
  offer.survey = files.survey;
  if (!std::getline(in, heading) || heading != kInfoHeading ||
      !std::getline(in, offer.original_file) || !std::getline(in, offer.saved_at)) {
    return std::nullopt;
  }
  return offer;
}

void remove_recovery(const RecoveryFiles& files) {
  std::error_code ec;
  fs::remove(files.info, ec);
  fs::remove(files.survey, ec);
}

std::string recovery_question(const RecoveryOffer& offer) {
  const std::string which = offer.original_file.empty()
                                ? std::string("a survey that was never saved")
                                : "the survey \"" + offer.original_file + "\"";
  return "The program was not closed normally last time. A copy of " + which +
         " with its unsaved changes was kept at " + offer.saved_at +
         ".\n\nOpen this copy now? Your own file stays as it is until you save.";
}

}  // namespace olvar::workspace
