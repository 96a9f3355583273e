#include "anthro/nchs_reference.h"

namespace olvar::anthro {

// Placeholder until the coefficient table lands: every index stays not computed.
void evaluate_nchs(const Measurement&, char, std::int32_t, AnthroResult&) {}

}  // namespace olvar::anthro
