#include "anthro/who_lookup.h"

#include <cmath>

namespace olvar::anthro {

namespace {

// Parameters at position k + f of a block, interpolated between records k and k + 1. At the
// block's last record the fraction is dropped: the monthly tables stop there, and the age limits
// of the indices allow at most a few hours beyond it.
std::optional<WhoParameters> at_block_position(const WhoReference& who, WhoBlock block, double k,
                                               double f) {
  if (!(k >= 0.0) || k > block.count - 1) return std::nullopt;
  const int index = block.first + static_cast<int>(k);
  if (index == block.last() || f == 0.0)
    return WhoParameters{who.record(index), who.curve_points(index)};
  return WhoParameters{interpolate(who.record(index), who.record(index + 1), f), nullptr};
}

}  // namespace

double round_half_even(double x) {
  const double nearest = std::round(x);  // halves away from zero
  if (std::abs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
  return nearest;
}

std::optional<WhoParameters> who_lms_by_age(const WhoReference& who, WhoTable day_table,
                                            WhoTable month_table, bool girls, double age_days) {
  if (!(age_days >= 0.0) || !std::isfinite(age_days)) return std::nullopt;
  if (age_days <= kLastDailyAge) {
    const WhoBlock block = who_block(day_table, girls);
    const int index = block.first + static_cast<int>(round_half_even(age_days));
    return WhoParameters{who.record(index), who.curve_points(index)};
  }
  // Beyond the daily tables the 2007 reference continues by month, interpolated between whole
  // months. The position is split at its whole part; rounding H - 0.5 halves to even instead would
  // pick the month below at odd whole H and jump back a month there.
  const double h = (age_days - kLastDailyAge) / kDaysPerMonth;
  const double k = std::floor(h);
  return at_block_position(who, who_block(month_table, girls), k, h - k);
}

namespace {

std::optional<WhoParameters> muac_by_month(const WhoReference& who, bool girls, double age_days) {
  if (!(age_days >= 0.0) || !std::isfinite(age_days)) return std::nullopt;
  const double h = age_days / kDaysPerMonth;
  const double k = std::floor(h);
  const WhoBlockLayout& layout = who_layout(WhoTable::muac_for_age_months);
  return at_block_position(who, who_block(WhoTable::muac_for_age_months, girls),
                           k - layout.first_key, h - k);
}

}  // namespace

std::optional<Lms> who_muac_lms_interpolated(const WhoReference& who, bool girls, double age_days) {
  const std::optional<WhoParameters> found = muac_by_month(who, girls, age_days);
  if (!found) return std::nullopt;
  return found->lms;
}

std::optional<WhoParameters> who_muac_lms(const WhoReference& who, bool girls, double age_days) {
  if (age_days >= 0.0 && age_days < WhoReference::kMuacDays && age_days == std::floor(age_days)) {
    const int day = static_cast<int>(age_days);
    const Lms* lms = who.muac_day_lms(girls, day);
    if (!lms) return std::nullopt;
    return WhoParameters{*lms, who.muac_day_curve_points(girls, day)};
  }
  return muac_by_month(who, girls, age_days);
}

std::optional<WhoParameters> who_lms_by_length(const WhoReference& who, char position, bool girls,
                                               std::int64_t height_cm_x1000) {
  if (position != 'l' && position != 'h') return std::nullopt;
  const WhoTable table =
      position == 'l' ? WhoTable::weight_for_length : WhoTable::weight_for_height;
  const WhoBlockLayout& layout = who_layout(table);
  const std::int64_t first = std::llround(layout.first_key * 1000.0);
  const std::int64_t last = first + static_cast<std::int64_t>(layout.count - 1) * 100;
  if (height_cm_x1000 < first || height_cm_x1000 > last) return std::nullopt;
  // Whole millimetres and the part below them, worked out on the integer length so that no
  // rounding of the floating-point length can move a child to the neighbouring millimetre.
  const std::int64_t from_first = height_cm_x1000 - first;
  const double k = static_cast<double>(from_first / 100);
  const double f = static_cast<double>(from_first % 100) / 100.0;
  return at_block_position(who, who_block(table, girls), k, f);
}

}  // namespace olvar::anthro
