#pragma once
// The length of a month in days, for converting between ages in days and in months. Defined here
// once: every conversion of the program uses one of these two values.

namespace olvar::anthro {

// 365.25 / 12: a year of 365.25 days in twelve equal months (not the Gregorian 365.2425 / 12).
// The WHO 2006 standards convert with exactly this value.
inline constexpr double kDaysPerMonth = 30.4375;

// The survey's own ages (MONTHS from dates, days from MONTHS) and the NCHS reference use the month
// made longer by 1e-10 day, which keeps a whole number of months computed from days just below
// the boundary its text would suggest. Survey files and reports rely on this value.
inline constexpr double kDaysPerMonthForSurveyAges = 30.4375000001;

}  // namespace olvar::anthro
