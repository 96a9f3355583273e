#pragma once
// The z-score engine: one child's measurements in, the five indices of the selected reference out.
//
//   const AnthroResult r = evaluate(child, Reference::who2006, who);
//   if (r.whz.computed()) ...
//
// WHO 2006 standards (with the 2007 reference beyond five years): weight-for-age,
// length/height-for-age, weight-for-length/height, BMI-for-age and MUAC-for-age, each with its
// percentile, percent of median and curve points, and the BMI. NCHS 1977: weight-for-age,
// height-for-age and weight-for-height (nchs_reference.h). An index that cannot be computed stays
// kNotComputed with percentile and percent of median 0; no NaN or infinity ever comes out.
// Allocates nothing, so it can run for every row of a survey on every edit.

#include "anthro/measurement.h"
#include "anthro/who_reference.h"

namespace olvar::anthro {

AnthroResult evaluate(const Measurement& m, Reference reference, const WhoReference& who);

}  // namespace olvar::anthro
