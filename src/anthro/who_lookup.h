#pragma once
// Finding the LMS parameters of one child in the WHO reference table: by age (daily blocks up to
// 1856 days, monthly blocks beyond), by age in months for MUAC, and by length or height.
// Each returns nothing when the key lies outside the block; keys are never clamped.

#include <cstdint>
#include <optional>

#include "anthro/lms.h"
#include "anthro/month_length.h"
#include "anthro/who_reference.h"
#include "anthro/who_table_layout.h"

namespace olvar::anthro {

inline constexpr double kLastDailyAge = 1856.0;   // end of the daily WHO tables

// The parameters found for one child, with their curve points when the table keeps them
// (a key that fell on a record, a whole day of MUAC-for-age); null when they must be worked out.
// The pointer is into the WhoReference and valid as long as it lives.
struct WhoParameters {
  Lms lms;
  const CurvePoints* curve_points = nullptr;
};

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double round_half_even(double x);

// Daily record at the age rounded to whole days while the age is at most 1856 days. Beyond, the
// monthly block: its first record stands for 1856 days and each further one for 30.4375 days
// more; L, M and S are interpolated linearly between the two records around the age.
std::optional<WhoParameters> who_lms_by_age(const WhoReference& who, WhoTable day_table,
                                            WhoTable month_table, bool girls, double age_days);

// MUAC-for-age is tabled by month from 3 months: the parameters at age / 30.4375 months,
// interpolated between whole months.
std::optional<WhoParameters> who_muac_lms(const WhoReference& who, bool girls, double age_days);
// The interpolation itself, from the monthly records only; who_muac_lms takes whole days from the
// table's own copy made with it.
std::optional<Lms> who_muac_lms_interpolated(const WhoReference& who, bool girls, double age_days);

// Weight-for-length (position 'l', 45.0 to 110.0 cm) or weight-for-height ('h', 65.0 to
// 120.0 cm), bounds included: the record of the whole millimetre below the length, interpolated
// towards the next one by the part below the millimetre.
std::optional<WhoParameters> who_lms_by_length(const WhoReference& who, char position, bool girls,
                                               std::int64_t height_cm_x1000);

}  // namespace olvar::anthro
