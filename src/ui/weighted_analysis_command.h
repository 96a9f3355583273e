#pragma once
// The command "Weighted analysis of survey": works out the weighted analysis of the open survey
// with the options in force, showing its progress in the window's caption, and returns the
// table for the spreadsheet hand-off. The caller restores its caption and hands the table on.

#include "core/options_page.h"
#include "core/survey_table.h"
#include "document/document_buffer.h"
#include "workspace/app_context.h"

class QWidget;

namespace olvar::ui {

document::DocumentBuffer Weightedanalysisofsurvey1Click(const core::SurveyTable& survey,
                                                        const core::OptionsPage& options,
                                                        const workspace::AppContext& app,
                                                        QWidget& caption_window);

}  // namespace olvar::ui
