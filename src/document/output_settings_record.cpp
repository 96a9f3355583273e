#include "document/output_settings_record.h"

namespace olvar::document {

OutputSettings output_settings_of(const core::SettingsRecord& record) {
  OutputSettings settings;
  settings.kind =
      record.office_program == kOpenOffice ? std::string(kOpenOffice) : std::string(kMsOffice);
  settings.word_processor_path = record.word_processor_path;
  settings.relay_text = record.relay_text;
  settings.relay_option = record.relay_option;
  settings.second_relay_option = record.second_relay_option;
  return settings;
}

void store_output_settings(core::SettingsRecord& record, const OutputSettings& settings) {
  record.office_program = settings.kind;
  record.word_processor_path = settings.word_processor_path;
}

}  // namespace olvar::document
