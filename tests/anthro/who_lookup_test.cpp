#include "anthro/who_lookup.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/test_paths.h"

namespace olvar::anthro {
namespace {

// Every record's M is its own record number, so a lookup's M reads as "record k + fraction f".
WhoReference numbered_table() {
  std::vector<Lms> records(kWhoRecordCount);
  for (int i = 0; i < kWhoRecordCount; ++i) records[i] = {1.0, static_cast<double>(i), 0.1};
  return WhoReference(std::move(records));
}

constexpr double kMonth = 30.4375;

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  const struct {
    double x, rounded;
  } cases[] = {{0.5, 0},      {1.5, 2},      {2.5, 2},  {730.5, 730}, {731.5, 732},
               {730.49, 730}, {730.51, 731}, {-0.5, 0}, {-1.5, -2},   {3.0, 3}};
  for (const auto& c : cases) EXPECT_EQ(round_half_even(c.x), c.rounded) << c.x;
}

struct AgeCase {
  const char* what;
  WhoTable days, months;
  bool girls;
  double age_days;
  std::optional<double> record;  // record number plus interpolation fraction
};

TEST(WhoLmsByAge, DailyUpTo1856DaysThenMonthlyInterpolation) {
  const WhoReference who = numbered_table();
  const WhoTable wfa_d = WhoTable::weight_for_age_days, wfa_m = WhoTable::weight_for_age_months;
  const WhoTable hfa_d = WhoTable::length_for_age_days, hfa_m = WhoTable::height_for_age_months;
  const AgeCase cases[] = {
      {"birth", wfa_d, wfa_m, false, 0.0, 0},
      {"girls' block follows the boys'", wfa_d, wfa_m, true, 0.0, 1857},
      {"half a day rounds to even (100)", wfa_d, wfa_m, false, 100.5, 100},
      {"half a day rounds to even (102)", wfa_d, wfa_m, false, 101.5, 102},
      {"no interpolation between days", wfa_d, wfa_m, false, 100.3, 100},
      {"last daily record", wfa_d, wfa_m, false, 1856.0, 1856},
      {"last daily record, girls", hfa_d, hfa_m, true, 1856.0, 5571 + 1856},
      // H = 1/30.4375 = 0.032854: first monthly record plus that fraction of the next.
      {"first day beyond the daily table", wfa_d, wfa_m, false, 1857.0, 13546 + 1 / kMonth},
      {"a fraction of a day beyond 1856", wfa_d, wfa_m, false, 1856.25, 13546 + 0.25 / kMonth},
      // H = 1 exactly: the second monthly record itself, not the first.
      {"one month beyond 1856 days", wfa_d, wfa_m, false, 1856 + kMonth, 13547},
      {"three months beyond 1856 days", wfa_d, wfa_m, true, 1856 + 3 * kMonth, 13606 + 3},
      // 3651 days: H = 1795/30.4375 = 58.973306, records 58 and 59 of the boys' block.
      {"last month of weight-for-age", wfa_d, wfa_m, false, 3651.0, 13546 + 58.973306},
      // 3651.9 days: H = 59.0029, past the last record (120 months) by a few hours: held there.
      {"end of the weight-for-age table", wfa_d, wfa_m, false, 3651.9, 13605},
      // 6938 days: H = 5082/30.4375 = 166.965092, girls' records 166 and 167.
      {"last day of height-for-age", hfa_d, hfa_m, true, 6938.0, 13834 + 166.965092},
      {"beyond the monthly table", wfa_d, wfa_m, false, 1856 + 61 * kMonth, std::nullopt},
      {"missing age", wfa_d, wfa_m, false, -1.0, std::nullopt},
  };
  for (const AgeCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<WhoParameters> p =
        who_lms_by_age(who, c.days, c.months, c.girls, c.age_days);
    ASSERT_EQ(p.has_value(), c.record.has_value());
    if (p) {
      EXPECT_NEAR(p->lms.m, *c.record, 1e-6);
    }
  }
}

TEST(WhoMuacLms, MonthlyFromThreeMonths) {
  const WhoReference who = numbered_table();
  const struct {
    const char* what;
    bool girls;
    double age_days;
    std::optional<double> record;
  } cases[] = {
      {"exactly 3 months", false, 3 * kMonth, 14338},
      // 100 days: H = 3.285421, the 3- and 4-month records.
      {"100 days", false, 100.0, 14338 + 0.285421},
      {"girls, 12 months", true, 12 * kMonth, 14396 + 9},
      // 1826 days: H = 59.991786, the 59- and 60-month records.
      {"last day", true, 1826.0, 14396 + 56.991786},
      {"2.9 months", false, 2.9 * kMonth, std::nullopt},
      {"missing age", false, -1.0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<WhoParameters> p = who_muac_lms(who, c.girls, c.age_days);
    ASSERT_EQ(p.has_value(), c.record.has_value());
    if (p) {
      EXPECT_NEAR(p->lms.m, *c.record, 1e-6);
    }
  }
}

TEST(WhoMuacLms, WholeDaysKeptByTheTableMatchTheInterpolation) {
  // The real table: whole days come from the copy made when the table was built, and must be
  // exactly what the interpolation gives, curve points included.
  const WhoReference who = WhoReference::load(test::build_data_path(kWhoTableFileName));
  ASSERT_TRUE(who.found());
  for (bool girls : {false, true}) {
    for (int day = 0; day <= 1826; ++day) {
      SCOPED_TRACE(day);
      const std::optional<WhoParameters> kept = who_muac_lms(who, girls, day);
      const std::optional<Lms> worked = who_muac_lms_interpolated(who, girls, day);
      ASSERT_EQ(kept.has_value(), worked.has_value());
      if (!kept) continue;
      EXPECT_EQ(kept->lms.l, worked->l);
      EXPECT_EQ(kept->lms.m, worked->m);
      EXPECT_EQ(kept->lms.s, worked->s);
      ASSERT_NE(kept->curve_points, nullptr);
      EXPECT_EQ(*kept->curve_points, lms_curve_points(*worked));
    }
  }
  // Between whole days the parameters are worked out on the spot, unless the age falls on a
  // whole month (ages given in months): then the monthly record applies as it stands.
  const std::optional<WhoParameters> between = who_muac_lms(who, false, 100.5);
  ASSERT_TRUE(between.has_value());
  EXPECT_EQ(between->curve_points, nullptr);
  const std::optional<WhoParameters> month = who_muac_lms(who, false, 12 * 30.4375);
  ASSERT_TRUE(month.has_value());
  EXPECT_EQ(month->curve_points, who.curve_points(14338 + 9));
}

TEST(WhoLmsByLength, WholeMillimetreRecordInterpolatedByTheRest) {
  const WhoReference who = numbered_table();
  const struct {
    const char* what;
    char position;
    bool girls;
    int height_cm_x1000;
    std::optional<double> record;
  } cases[] = {
      {"45.0 cm lying, first record", 'l', false, 45000, 7428},
      {"44.9 cm lying, below the table", 'l', false, 44900, std::nullopt},
      {"110.0 cm lying, last record", 'l', false, 110000, 8078},
      {"110.0 cm lying, girls", 'l', true, 110000, 8729},
      {"110.1 cm lying, beyond the table", 'l', false, 110100, std::nullopt},
      {"110.001 cm lying, beyond the table", 'l', false, 110001, std::nullopt},
      {"80.7 cm lying", 'l', false, 80700, 7428 + 357},
      {"80.75 cm: half way to 80.8", 'l', false, 80750, 7428 + 357.5},
      // 80.799 cm is in the 80.7 millimetre, 0.99 of the way to 80.8.
      {"80.799 cm stays in its millimetre", 'l', false, 80799, 7428 + 357.99},
      {"65.0 cm standing, first record", 'h', false, 65000, 8730},
      {"64.9 cm standing, below the table", 'h', true, 64900, std::nullopt},
      {"65.0 cm standing, girls", 'h', true, 65000, 9281},
      {"120.0 cm standing, last record", 'h', false, 120000, 9280},
      {"120.1 cm standing, beyond the table", 'h', false, 120100, std::nullopt},
      {"no position", ' ', false, 80000, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<WhoParameters> p =
        who_lms_by_length(who, c.position, c.girls, c.height_cm_x1000);
    ASSERT_EQ(p.has_value(), c.record.has_value());
    if (p) {
      EXPECT_NEAR(p->lms.m, *c.record, 1e-9);
    }
  }
}

}  // namespace
}  // namespace olvar::anthro
