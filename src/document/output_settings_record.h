#pragma once
// The output settings as the settings record holds them: the one place where the report
// hand-off's OutputSettings and the record's fields meet.

#include "core/settings_record.h"
#include "document/output_settings.h"

namespace olvar::document {

OutputSettings output_settings_of(const core::SettingsRecord& record);

// The office program kind and the word processor path back into the record (the relay fields
// are never changed by this program).
void store_output_settings(core::SettingsRecord& record, const OutputSettings& settings);

}  // namespace olvar::document
