#pragma once
// The NCHS 1977 growth reference: weight-for-age, height-for-age and weight-for-height from three
// percentile curves (P3, P50, P97), each a piecewise cubic in age or length/height.

#include <cstdint>

#include "anthro/measurement.h"

namespace olvar::anthro {

// The NCHS step of the engine, run for sex 'm' or 'w' only. Writes WAZ, HAZ and WHZ with their
// percentiles, percents of median and curve points (P3, P50, P97) into `result`;
// `effective_weight_g` is the weight after the clothes correction. Allocates nothing.
void evaluate_nchs(const Measurement& m, char sex, std::int32_t effective_weight_g,
                   AnthroResult& result);

}  // namespace olvar::anthro
