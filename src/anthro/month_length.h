#pragma once
// The length of a month in days, for converting between ages in days and in months.

namespace olvar::anthro {

// The mean month of the Gregorian calendar (365.2425 / 12 = 30.436875) is not what the program
// uses: ages in months are taken as days / 30.4375 (a year of 365.25 days), and row evaluation
// and the NCHS reference add 1e-10, which keeps a whole number of months computed from days
// just below the boundary its text would suggest. Survey files and reports rely on this value.
inline constexpr double kDaysPerMonth = 30.4375000001;

// The WHO 2006 standards convert with exactly 365.25 / 12 (WHO Anthro documentation).
inline constexpr double kWhoDaysPerMonth = 30.4375;

}  // namespace olvar::anthro
