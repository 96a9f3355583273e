#include "ui/weighted_analysis_command.h"

#include <QCoreApplication>
#include <QWidget>

#include "reports/weighted_analysis.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

document::DocumentBuffer Weightedanalysisofsurvey1Click(const core::SurveyTable& survey,
                                                        const core::OptionsPage& options,
                                                        const workspace::AppContext& app,
                                                        QWidget& caption_window) {
  reports::WeightedAnalysisInputs inputs;
  inputs.decimal_separator = app.dates.decimal_separator;
  inputs.who_reference = app.settings.reference != core::kReferenceNchs;
  // A large survey takes a moment: the caption says how far the tables have come, as the
  // plausibility check does.
  inputs.show_progress = [&caption_window](std::string_view caption) {
    caption_window.setWindowTitle(to_qstring(caption));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  const reports::WeightedAnalysis values =
      reports::weighted_analysis_values(survey, options, inputs);
  return reports::weighted_analysis_table(values, *app.text, app.dates.decimal_separator);
}

}  // namespace olvar::ui
