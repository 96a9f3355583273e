#include "anthro/nchs_reference.h"

#include "anthro/lms.h"
#include "anthro/month_length.h"

#include <array>
#include <cmath>
#include <optional>
#include <span>

namespace olvar::anthro {
namespace {

// The NCHS 1977 growth reference as the program has always carried it: each percentile curve
// (P3, P50, P97) is a piecewise cubic a0 + a1 t + a2 t^2 + a3 t^3 in t = argument - offset, the
// argument being the age in months or the length/height in cm; weights in kg, heights in cm.

enum Curve : unsigned char { kP3 = 1, kP50 = 2, kP97 = 4, kAllCurves = kP3 | kP50 | kP97 };

using Cubic = std::array<double, 4>;

struct Segment {
  double from;             // included
  double to;               // excluded, unless to_included
  bool to_included;        // the last weight-for-length/height segments include their upper end
  double offset;           // subtracted from the argument before the cubic is evaluated
  unsigned char curves;    // which of P3, P50, P97 the segment defines
  std::array<Cubic, 3> p;  // P3, P50, P97
};

constexpr Segment all(double from, double to, double offset, Cubic p3, Cubic p50, Cubic p97) {
  return {from, to, false, offset, kAllCurves, {p3, p50, p97}};
}
constexpr Segment all_closed(double from, double to, double offset, Cubic p3, Cubic p50,
                             Cubic p97) {
  return {from, to, true, offset, kAllCurves, {p3, p50, p97}};
}
constexpr Segment p3_only(double from, double to, double offset, Cubic p3) {
  return {from, to, false, offset, kP3, {p3, Cubic{}, Cubic{}}};
}
constexpr Segment p50_p97_only(double from, double to, double offset, Cubic p50, Cubic p97) {
  return {from, to, false, offset, kP50 | kP97, {Cubic{}, p50, p97}};
}

// Weight-for-age, by age in months.
constexpr std::array kGirlsWeightForAge = {
    all(0, 6, 0, {2.30235, 0.545715, 0.0131161, -0.002214},
        {3.22751, 0.768817, -0.012413, -0.0008575}, {3.91945, 1.15426, -0.0635733, 0.0017658}),
    all(6, 18, 6, {5.57059, 0.463994, -0.0267363, 0.000773},
        {7.20834, 0.527256, -0.0278471, 0.0007522}, {8.93781, 0.582092, -0.0317886, 0.0009303}),
    all(18, 24, 18, {8.62425, 0.156261, 0.0010919, -0.0000898},
        {10.8252, 0.183875, -0.000768, 0.0000071}, {12.9529, 0.221049, 0.0017017, -0.0000907}),
    all(24, 84, 24, {9.58878, 0.162168, -0.0015879, 0.0000142},
        {11.7963, 0.219662, -0.0026279, 0.0000293}, {14.4385, 0.322835, -0.0043837, 0.000054}),
    all(84, 144, 84, {16.6639, 0.124691, 0.0009632, 0.0000031},
        {21.8409, 0.220578, 0.0026431, -0.0000142}, {29.6945, 0.380152, 0.0053389, -0.0000449}),
    all(144, 192, 144, {28.2771, 0.273485, 0.0015167, -0.000037},
        {41.5319, 0.384808, 0.000094, -0.0000392}, {62.0215, 0.535709, -0.0027463, -0.0000206}),
    all(192, 216, 192, {40.8042, 0.163173, -0.0038148, 0.0000316},
        {55.8876, 0.123101, -0.0055462, 0.0000702}, {79.128, 0.129558, -0.0057152, 0.0000649}),
};

constexpr std::array kBoysWeightForAge = {
    all(0, 6, 0, {2.4974, 0.462056, 0.0481125, -0.0045889},
        {3.26804, 1.08795, -0.0677657, 0.0022657}, {4.20915, 1.4591, -0.124212, 0.005467}),
    all(6, 18, 6, {6.01058, 0.5438, -0.0344885, 0.0009736}, {7.84554, 0.51945, -0.026984, 0.000738},
        {9.67299, 0.558989, -0.0258067, 0.0006445}),
    all(18, 24, 18, {9.25227, 0.136684, 0.0005621, -0.0000236},
        {11.4685, 0.190655, -0.0004155, -0.0000134}, {13.7784, 0.218043, -0.0026054, 0.0001068}),
    all(24, 96, 24, {10.2271, 0.110605, 0.0005027, -0.0000036},
        {12.3424, 0.202445, -0.0011641, 0.0000118}, {15.4874, 0.219986, -0.0008413, 0.000019}),
    all(96, 156, 96, {19.4677, 0.127619, -0.0002664, 0.0000234},
        {25.2964, 0.218676, 0.0013895, 0.0000071}, {34.0501, 0.394048, 0.0032588, -0.0000164}),
    all(156, 204, 156, {31.2284, 0.34878, 0.0039524, -0.0000675},
        {44.9515, 0.462032, 0.0026664, -0.000063}, {65.8807, 0.607904, 0.0003054, -0.0000378}),
    all(204, 216, 204, {49.6166, 0.261986, -0.0057606, 0.0000334},
        {66.3061, 0.28261, -0.0064044, 0.000062}, {91.5854, 0.376078, -0.0051351, -0.0000178}),
};

// Height-for-age, by age in months. For girls the P3 curve changes segment at 24 and 60
// months, the P50 and P97 curves at 23.99 and 54 months; where two segments cover an age for
// the same curve the later one applies, so from 23.99 to 24 months P3 still comes from the
// 9-month segment while P50 and P97 come from the 23.99-month one (with a slightly negative t).
constexpr std::array kGirlsHeightForAge = {
    all(0, 9, 0, {45.7829, 3.67323, -0.237212, 0.0077933}, {49.8644, 3.93746, -0.262999, 0.0088478},
        {53.9292, 4.21102, -0.290055, 0.0099537}),
    all(9, 24, 9, {65.3091, 1.29719, -0.0267922, 0.000466},
        {70.4487, 1.3535, -0.0241086, 0.0003396}, {75.5903, 1.4088, -0.0213041, 0.0002101}),
    p3_only(24, 60, 24, {78.4609, 0.769969, -0.0057907, 0.0000299}),
    p3_only(60, 132, 60, {100.071, 0.46937, -0.0025593, 0.0000298}),
    p50_p97_only(23.99, 54, 24, {84.4872, 0.877385, -0.0085419, 0.0000727},
                 {90.5784, 0.973526, -0.0108372, 0.00011}),
    p50_p97_only(54, 132, 54, {105.083, 0.561061, -0.0020022, 0.0000171},
                 {112.999, 0.620169, -0.0009413, 0.0000046}),
    all(132, 156, 132, {131.726, 0.56449, 0.0038804, -0.0002117},
        {144.783, 0.560961, 0.0020009, -0.0001642}, {157.837, 0.5576, 0.0001392, -0.0001174}),
    all(156, 192, 156, {144.582, 0.384879, -0.0113642, 0.0001323},
        {157.128, 0.3732, -0.0098243, 0.0000982}, {169.676, 0.361401, -0.0083141, 0.0000649}),
    all(192, 216, 192, {149.882, 0.0810578, 0.0029247, -0.0000738},
        {162.413, 0.0477105, 0.0007829, -0.0000218}, {174.939, 0.015085, -0.0013058, 0.0000269}),
};

constexpr std::array kBoysHeightForAge = {
    all(0, 9, 0, {46.1824, 4.01257, -0.255449, 0.0078997}, {50.4849, 4.38155, -0.312088, 0.0105514},
        {54.7862, 4.7522, -0.368845, 0.0132042}),
    all(9, 24, 9, {67.363, 1.3341, -0.0421583, 0.0010158}, {72.3318, 1.32797, -0.027199, 0.0004485},
        {77.3055, 1.32163, -0.0123304, -0.0001137}),
    all(24, 138, 24, {79.6017, 0.725005, -0.0039456, 0.0000149},
        {85.5931, 0.837795, -0.0053379, 0.0000234}, {91.5767, 0.950895, -0.0067335, 0.0000319}),
    all(138, 168, 138, {133.056, 0.406485, 0.0011516, 0.0000272},
        {146.374, 0.532432, 0.0026593, -0.0000599}, {159.692, 0.658332, 0.0041671, -0.0001471}),
    all(168, 204, 168, {147.022, 0.549084, 0.0036017, -0.0001626},
        {163.122, 0.530131, -0.002736, -0.0000523}, {179.222, 0.511316, -0.0090677, 0.0000578}),
    all(204, 216, 204, {163.87, 0.176161, -0.0139606, 0.0002574},
        {176.222, 0.129924, -0.0083808, 0.0001434}, {188.574, 0.083111, -0.0028269, 0.0000383}),
};

// Weight-for-length (lying), by length in cm.
constexpr std::array kGirlsWeightForLength = {
    all(49, 72, 49, {2.60988, 0.0630037, 0.0115431, -0.0002316},
        {3.29545, 0.103651, 0.0119637, -0.0002558}, {3.93902, 0.201926, 0.0074638, -0.0001782}),
    all(72, 90, 72, {7.3479, 0.226503, -0.0044345, 0.0001374},
        {8.89598, 0.248036, -0.0056861, 0.0001813}, {10.3641, 0.26253, -0.0048288, 0.0001548}),
    all_closed(90, 101, 90, {10.7892, 0.200373, 0.0029828, 0.0000891},
               {12.5756, 0.219539, 0.0041029, -0.0000204},
               {14.4278, 0.239142, 0.0035295, 0.0001393}),
};

constexpr std::array kBoysWeightForLength = {
    all(49, 72, 49, {2.50836, 0.0681768, 0.0126871, -0.0002594},
        {3.14986, 0.148592, 0.0094768, -0.0002056}, {4.09354, 0.188963, 0.0087391, -0.0001934}),
    all(72, 90, 72, {7.6316, 0.240094, -0.0052124, 0.00015},
        {9.07905, 0.258223, -0.0047102, 0.000133}, {10.709, 0.283963, -0.0046087, 0.0001132}),
    all_closed(90, 103, 90, {11.1393, 0.198252, 0.0028879, -0.0000207},
               {12.9763, 0.217885, 0.0024692, 0.0001044},
               {14.9874, 0.228093, 0.0015048, 0.0001335}),
};

// Weight-for-height (standing), by height in cm.
constexpr std::array kGirlsWeightForHeight = {
    all(55, 85, 55, {3.03896, 0.276098, -0.0022693, 0.0000201},
        {4.30208, 0.364667, -0.0062945, 0.0000836}, {6.58206, 0.36397, -0.0060986, 0.0000885}),
    all(85, 108, 85, {9.82301, 0.194286, -0.0004578, 0.0000538},
        {11.8341, 0.212702, 0.001229, 0.0000202}, {14.4026, 0.237072, 0.0018687, 0.0000269}),
    all_closed(108, 137, 108, {14.7037, 0.258573, 0.0032529, 0.0000169},
               {17.6216, 0.301222, 0.0026197, 0.0001213}, {21.1715, 0.365772, 0.003727, 0.0003322}),
};

constexpr std::array kBoysWeightForHeight = {
    all(55, 80, 55, {2.88221, 0.311757, -0.0033999, 0.0000333},
        {4.3126, 0.371447, -0.0063312, 0.0000877}, {6.58687, 0.352637, -0.0034583, 0.0000293}),
    all(80, 115, 80, {9.07104, 0.204144, -0.0009046, 0.0000465},
        {11.0122, 0.219333, 0.0002466, 0.0000313}, {13.6997, 0.234726, -0.0012581, 0.000089}),
    all_closed(115, 145, 115, {17.1038, 0.311893, 0.0039831, -0.0000277},
               {20.3336, 0.351685, 0.0035349, 0.0001044}, {24.1885, 0.47362, 0.0080837, 0.0001033}),
};

// Ages from 6575 days (about 216 months, where the curves end) get no age-based index.
constexpr double kAgeLimitDays = 6575.0;
// The standard normal deviate of the 97th percentile, which the P3/P97 curves stand for.
constexpr double kZ97 = 1.8807936;

struct CurveValues {
  double p3 = 0.0;
  double p50 = 0.0;
  double p97 = 0.0;
};

constexpr bool covers(const Segment& s, double x) {
  return x >= s.from && (x < s.to || (s.to_included && x == s.to));
}

constexpr double cubic(const Cubic& a, double t) {
  return a[0] + t * (a[1] + t * (a[2] + t * a[3]));
}

// Each curve takes its value from the last segment that covers x and defines that curve; an
// argument outside every segment leaves the curve at 0.
CurveValues curve_values(std::span<const Segment> table, double x) {
  std::array<double, 3> v{};
  for (const Segment& s : table) {
    if (!covers(s, x)) continue;
    for (int c = 0; c < 3; ++c) {
      if (s.curves & (1u << c)) v[c] = cubic(s.p[c], x - s.offset);
    }
  }
  return {v[0], v[1], v[2]};
}

// Writes the curve points and, when x is given, the z-score, percentile and percent of median.
// Any arithmetic that cannot finish (a zero median or band, a result beyond range) leaves the
// index not computed.
void score(const CurveValues& c, std::optional<double> x, IndexResult& out) {
  out.curve_points[0] = c.p3;
  out.curve_points[1] = c.p50;
  out.curve_points[2] = c.p97;
  if (!x) return;
  const double d = *x - c.p50;
  const double band = d > 0.0 ? c.p97 - c.p50 : c.p50 - c.p3;
  if (c.p50 == 0.0 || band == 0.0) return;
  const double pct_of_median = 100.0 * *x / c.p50;
  const float z = static_cast<float>(kZ97 * d / band);
  if (!std::isfinite(pct_of_median) || !std::isfinite(z)) return;
  out.z = z;
  out.percentile = z_to_percentile(z);
  out.pct_of_median = pct_of_median;
}

}  // namespace

void evaluate_nchs(const Measurement& m, char sex, std::int32_t effective_weight_g,
                   AnthroResult& result) {
  if (sex != 'm' && sex != 'w') return;
  const bool boy = sex == 'm';
  const bool oedema = m.oedema == 'y';
  // An age that is not a finite number is as missing as a negative one; a missing age counts
  // as -1, below every age limit.
  const bool age_known = std::isfinite(m.age_days) && m.age_days >= 0.0;
  const double age_days = age_known ? m.age_days : -1.0;
  // Whole days round halves to even, as everywhere in the engine.
  const double rounded_days = std::nearbyint(age_days);
  const double age_months = age_days / kDaysPerMonthForSurveyAges;
  const bool age_in_range = age_known && rounded_days < kAgeLimitDays;
  const double height_cm = m.height_cm_x1000 / 1000.0;
  const double weight_kg = effective_weight_g / 1000.0;
  const bool has_weight = effective_weight_g >= 1;
  const bool has_height = m.height_cm_x1000 >= 1;

  if (age_in_range && !oedema) {
    const CurveValues c = curve_values(
        boy ? std::span<const Segment>(kBoysWeightForAge) : kGirlsWeightForAge, age_months);
    score(c, has_weight ? std::optional(weight_kg) : std::nullopt, result.waz);
  }

  if (age_in_range) {
    const CurveValues c = curve_values(
        boy ? std::span<const Segment>(kBoysHeightForAge) : kGirlsHeightForAge, age_months);
    score(c, has_height ? std::optional(height_cm) : std::nullopt, result.haz);
  }

  if (!oedema) {
    const bool lying =
        (rounded_days >= 0.0 && rounded_days <= 730.0) || (!age_known && height_cm < 85.0);
    std::span<const Segment> table;
    if (lying) {
      table = boy ? std::span<const Segment>(kBoysWeightForLength) : kGirlsWeightForLength;
    } else if (boy && age_months < 138.0) {
      table = kBoysWeightForHeight;
    } else if (age_months <= 120.0) {
      // Boys from 138 months fall through here too, but their age keeps them out.
      table = kGirlsWeightForHeight;
    }
    if (!table.empty()) {
      const CurveValues c = curve_values(table, height_cm);
      const bool segment_applied = c.p97 != 0.0;
      score(c,
            segment_applied && has_weight && has_height ? std::optional(weight_kg) : std::nullopt,
            result.whz);
    }
  }
}

}  // namespace olvar::anthro
