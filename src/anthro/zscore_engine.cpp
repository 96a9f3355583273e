#include "anthro/zscore_engine.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "anthro/lms.h"
#include "anthro/nchs_reference.h"
#include "anthro/who_lookup.h"

namespace olvar::anthro {

namespace {

// WHO limits in days: the 2007 reference ends at 228 months (6939 days), its weight-for-age at
// 120 months (3652 days); MUAC-for-age is tabled to 60 months (1826.25 days); children from
// 731 days (two years) are measured standing.
constexpr double kWhoAgeLimit = 6939.0;
constexpr double kWeightForAgeLimit = 3652.0;
constexpr double kMuacAgeLimit = 1826.25;
constexpr double kMuacFirstMonth = 3.0;
constexpr double kStandingFromDays = 731.0;
constexpr std::int64_t kStandingFromHeight = 87000;     // 87.0 cm, when the age is unknown
constexpr std::int64_t kLyingStandingDifference = 700;  // 0.7 cm, WHO 2006

std::int32_t effective_weight(const Measurement& m) {
  std::int64_t w = m.weight_g;
  if (m.clothes == 'y' && m.clothes_weight_g >= 1) w -= m.clothes_weight_g;
  if (w < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(w);
}

// On failure the index stays not computed.
void compute(const std::optional<WhoParameters>& found, double x, IndexResult& out) {
  if (!found) return;
  if (found->curve_points)
    lms_index(x, found->lms, *found->curve_points, out);
  else
    lms_index(x, found->lms, out);
}

void evaluate_who(const Measurement& m, bool girls, const WhoReference& who, AnthroResult& r) {
  // An age that is not a number counts as missing, like a negative one.
  const double age = std::isnan(m.age_days) ? -1.0 : m.age_days;
  if (age >= kWhoAgeLimit) return;
  const bool age_known = age >= 0.0;
  const double age_rounded = age_known ? round_half_even(age) : age;

  // Measuring position. WHO length is taken lying below two years and height standing from
  // then on; a length measured the other way is converted by 0.7 cm (WHO Child Growth Standards
  // 2006, length/height-for-age chapter). The height stays wide so the shift cannot overflow.
  std::int64_t height = m.height_cm_x1000;
  char position = m.position;
  if (position != 'l' && position != 'h') {
    if (age_known)
      position = age_rounded >= kStandingFromDays ? 'h' : 'l';
    else
      position = height >= kStandingFromHeight ? 'h' : 'l';
  }
  if (position == 'l' && age_known && age_rounded >= kStandingFromDays) {
    height -= kLyingStandingDifference;
    position = 'h';
  } else if (position == 'h' && age_known && age_rounded < kStandingFromDays && height >= 1) {
    height += kLyingStandingDifference;
    position = 'l';
  }
  r.position = position;

  const std::int32_t weight = r.effective_weight_g;
  const double weight_kg = weight / 1000.0;
  const double height_cm = static_cast<double>(height) / 1000.0;
  const bool oedema = m.oedema == 'y';
  const bool has_weight = weight >= 1;
  const bool has_height = height >= 1;
  const double height_m = height_cm / 100.0;
  const double bmi = weight_kg / (height_m * height_m);

  if (has_weight && age_known && age < kWeightForAgeLimit && !oedema) {
    compute(who_lms_by_age(who, WhoTable::weight_for_age_days, WhoTable::weight_for_age_months,
                           girls, age),
            weight_kg, r.waz);
  }
  if (has_height && age_known) {
    compute(who_lms_by_age(who, WhoTable::length_for_age_days, WhoTable::height_for_age_months,
                           girls, age),
            height_cm, r.haz);
  }
  if (has_weight && has_height && (age < kLastDailyAge || !age_known) && !oedema) {
    compute(who_lms_by_length(who, position, girls, height), weight_kg, r.whz);
  }
  if (has_weight && has_height && age_known && !oedema) {
    compute(
        who_lms_by_age(who, WhoTable::bmi_for_age_days, WhoTable::bmi_for_age_months, girls, age),
        bmi, r.baz);
  }
  if (m.muac_mm_x100 >= 1 && age / kDaysPerMonth >= kMuacFirstMonth && age < kMuacAgeLimit) {
    // MUAC is tabled in cm: mm x 100 / 1000.
    compute(who_muac_lms(who, girls, age), m.muac_mm_x100 / 1000.0, r.muacz);
  }
  if (has_weight && has_height && std::isfinite(bmi)) r.bmi = static_cast<float>(bmi);
}

}  // namespace

AnthroResult evaluate(const Measurement& m, Reference reference, const WhoReference& who) {
  AnthroResult r;
  const char sex = m.sex == 'f' ? 'w' : m.sex;
  const bool sex_given = sex == 'm' || sex == 'w';
  r.position = m.position;
  r.effective_weight_g = effective_weight(m);
  if (reference == Reference::nchs1977) {
    if (sex_given) evaluate_nchs(m, sex, r.effective_weight_g, r);
    return r;
  }
  if (sex_given) evaluate_who(m, sex == 'w', who, r);
  return r;
}

}  // namespace olvar::anthro
