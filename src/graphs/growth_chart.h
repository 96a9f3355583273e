#pragma once
// The growth chart of one child: the reference curves at -3, -2, 0, 2 and 3 SD of weight-for-age,
// length/height-for-age or weight-for-length/height, taken from the z-score engine's curve
// points, with the child's own measurement marked. Drawn on the 449 x 345 surface of the
// results page's graphs, with the same axis scaling.
//
//   const GrowthChart chart = growth_chart(child, GrowthChartKind::weight_for_age,
//                                          anthro::Reference::who2006, who, text);

#include <optional>

#include "anthro/measurement.h"
#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/survey_table.h"
#include "graphs/display_list.h"

namespace olvar::graphs {

enum class GrowthChartKind { weight_for_age, height_for_age, weight_for_height };

struct GrowthPoint {
  double x = 0;  // age in months, or length/height in cm
  double y = 0;  // weight in kg, or length/height in cm
};

struct GrowthChart {
  Drawing drawing;
  std::optional<GrowthPoint> child;  // where the child was marked; nullopt when it could not be
  std::optional<float> z;            // the child's z-score of the chart's index
};

// The SD lines drawn, and the curve of one of them: the measurement at `sd` for the age (in
// days) or length (in cm) `x`, as the engine's curve points give it for the sex and reference.
// WHO gives its points at -3 ... 3 SD; NCHS gives P3, P50 and P97, from which the SD lines
// follow as its z-scores do (the band from the median to P3 or P97 is 1.8807936 SD).
inline constexpr double kGrowthChartSd[] = {-3, -2, 0, 2, 3};
std::optional<double> curve_value(GrowthChartKind kind, char sex, char position, double x,
                                  double sd, anthro::Reference reference,
                                  const anthro::WhoReference& who);

// The measurement record of Survey table row `row` as row evaluation reads it, without changing
// the table (the row is read from a copy). nullopt for a row outside the table.
std::optional<anthro::Measurement> child_of_row(const core::SurveyTable& survey, int row,
                                                const anthro::RowEvaluationSettings& settings);

GrowthChart growth_chart(const anthro::Measurement& child, GrowthChartKind kind,
                         anthro::Reference reference, const anthro::WhoReference& who,
                         const core::LanguageTable& text);

}  // namespace olvar::graphs
