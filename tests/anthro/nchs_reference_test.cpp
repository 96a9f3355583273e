// Expected values are evaluated by hand (arithmetic shown) or, for the sweep over every
// segment, by an independent script from the published NCHS 1977 coefficient table; the
// percentiles are the exact normal distribution, which Abramowitz and Stegun 26.2.16 matches to
// within 1e-3 percent.

#include "anthro/nchs_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace olvar::anthro {
namespace {

// Ages are given in days; the engine divides by 30.4375000001, so n x 30.4375 days is a hair
// below n months (365.25 days give 11.99999999996 months).
constexpr double kMissingAge = -1.0;

struct Child {
  char sex = 'w';
  double age_days = kMissingAge;
  double weight_kg = 0.0;
  double height_cm = 0.0;
  char oedema = ' ';
};

AnthroResult evaluate(const Child& c) {
  Measurement m;
  m.sex = c.sex;
  m.age_days = c.age_days;
  m.weight_g = static_cast<std::int32_t>(std::lround(c.weight_kg * 1000.0));
  m.height_cm_x1000 = static_cast<std::int32_t>(std::lround(c.height_cm * 1000.0));
  m.oedema = c.oedema;
  AnthroResult result;
  evaluate_nchs(m, c.sex, m.weight_g, result);
  return result;
}

enum class Curves { weight_for_age, height_for_age, weight_for_length, weight_for_height };

struct CurveCase {
  const char* what;
  Curves curves;
  char sex;
  double argument;  // age in days, or length/height in cm
  double p3, p50, p97;
};

// One argument inside every printed segment (its middle; 39 months for the girls' 23.99-month
// segment), so that each coefficient of the table is exercised once. Weight-for-length is
// reached with an age of 0 days, weight-for-height with 1000 days (32.9 months).
constexpr CurveCase kCurveCases[] = {
    {"WFA girls 0 to <6", Curves::weight_for_age, 'w', 91.3125, 3.99776189999, 5.39909149999,
     6.85774689999},
    {"WFA girls 6 to <18", Curves::weight_for_age, 'w', 365.25, 7.55901519999, 9.53185559999,
     11.4869172},
    {"WFA girls 18 to <24", Curves::weight_for_age, 'w', 639.1875, 9.10043549999, 11.3701047,
     13.6289134},
    {"WFA girls 24 to <84", Curves::weight_for_age, 'w', 1643.625, 13.40811, 16.81215, 21.63622},
    {"WFA girls 84 to <144", Curves::weight_for_age, 'w', 3469.875, 21.3552099999, 30.4536299999,
     44.6917699998},
    {"WFA girls 144 to <192", Curves::weight_for_age, 'w', 5113.5, 35.2028711998, 50.2795351998,
     73.0118727998},
    {"WFA girls 192 to <216", Curves::weight_for_age, 'w', 6209.25, 42.2675495999, 56.6874648,
     79.9718544},
    {"WFA boys 0 to <6", Curves::weight_for_age, 'm', 91.3125, 4.19268019999, 5.98317259999,
     7.61615099999},
    {"WFA boys 6 to <18", Curves::weight_for_age, 'm', 365.25, 8.24209159999, 10.150224,
     12.2370948},
    {"WFA boys 18 to <24", Curves::weight_for_age, 'm', 639.1875, 9.66674369999, 12.0363637,
     14.411964},
    {"WFA boys 24 to <96", Curves::weight_for_age, 'm', 1826.25, 14.6924176, 18.6722872,
     23.2030352},
    {"WFA boys 96 to <156", Curves::weight_for_age, 'm', 3835.125, 23.6883099999, 33.2989299999,
     48.3616599998},
    {"WFA boys 156 to <204", Curves::weight_for_age, 'm', 5478.75, 40.9425823998, 56.7052023997,
     80.1237591997},
    {"WFA boys 204 to <216", Curves::weight_for_age, 'm', 6391.875, 50.9883487999, 67.7845935999,
     93.6531595998},
    {"HFA girls 0 to <9", Curves::height_for_age, 'w', 136.9688, 58.2190597672, 63.0634994878,
     67.912210785},
    {"HFA girls 9 to <24", Curves::height_for_age, 'w', 502.2188, 73.7275590999, 79.3871117234,
     85.04658216},
    {"HFA girls 24 to <60 (P3 only)", Curves::height_for_age, 'w', 1278.375, 90.6185319999,
     97.9365407999, 105.2321352},
    {"HFA girls 60 to <132 (P3 only)", Curves::height_for_age, 'w', 2922.0, 115.041816, 126.382586,
     137.7264496},
    {"HFA girls 23.99 to <54 (P50, P97 only)", Curves::height_for_age, 'w', 1187.0625,
     88.8084399999, 95.9714099999, 103.11417},
    {"HFA girls 54 to <132 (P50, P97 only)", Curves::height_for_age, 'w', 2830.6875, 113.8440549,
     124.9333877, 136.0267411},
    {"HFA girls 132 to <156", Curves::height_for_age, 'w', 4383.0, 138.69284, 151.518924,
     164.3453776},
    {"HFA girls 156 to <192", Curves::height_for_age, 'w', 5296.125, 148.5993948, 161.2352292,
     173.8659464},
    {"HFA girls 192 to <216", Curves::height_for_age, 'w', 6209.25, 151.148324, 163.0605932,
     174.978468},
    {"HFA boys 0 to <9", Curves::height_for_age, 'm', 136.9688, 59.7859865156, 64.8435929615,
     69.905225146},
    {"HFA boys 9 to <24", Curves::height_for_age, 'm', 502.2188, 75.4258876843, 80.950843823,
     86.4761746481},
    {"HFA boys 24 to <138", Curves::height_for_age, 'm', 2465.4375, 110.8671063, 120.3380941,
     129.8082302},
    {"HFA boys 138 to <168", Curves::height_for_age, 'm', 4656.9375, 139.504185, 154.75666,
     170.008115},
    {"HFA boys 168 to <204", Curves::height_for_age, 'm', 5661.375, 157.1241796, 171.4728804,
     185.8248428},
    {"HFA boys 204 to <216", Curves::height_for_age, 'm', 6391.875, 164.4799828, 176.7308096,
     188.9791704},
    {"WFH lying girls 49 to <72 cm", Curves::weight_for_length, 'w', 60.5, 4.508762875, 5.680596,
     6.977236625},
    {"WFH lying girls 72 to <90 cm", Curves::weight_for_length, 'w', 81.0, 9.1273971, 10.7998976,
     12.4485864},
    {"WFH lying girls 90 to 101 cm", Curves::weight_for_length, 'w', 95.5, 11.9963052125,
     13.903783175, 15.8730244125},
    {"WFH lying boys 49 to <72 cm", Curves::weight_for_length, 'm', 60.5, 4.5757472, 5.7992829,
     7.12822325},
    {"WFH lying boys 72 to <90 cm", Curves::weight_for_length, 'm', 81.0, 9.4795916, 11.1184878,
     12.9738851},
    {"WFH lying boys 90 to 103 cm", Curves::weight_for_length, 'm', 96.5, 12.5442670375,
     14.52554705, 16.5702447375},
    {"WFH standing girls 55 to <85 cm", Curves::weight_for_height, 'w', 70.0, 6.737675, 8.6379725,
     10.9681125},
    {"WFH standing girls 85 to <108 cm", Curves::weight_for_height, 'w', 96.5, 12.078578025,
     14.473429925, 17.4169751125},
    {"WFH standing girls 108 to 137 cm", Curves::weight_for_height, 'w', 122.5, 19.1884524875,
     22.9099091375, 28.271548975},
    {"WFH standing boys 55 to <80 cm", Curves::weight_for_height, 'm', 67.5, 6.3129771875,
     8.1377265625, 10.5116996875},
    {"WFH standing boys 80 to <115 cm", Curves::weight_for_height, 'm', 97.5, 12.6157371875,
     15.0937971875, 17.89909625},
    {"WFH standing boys 115 to 145 cm", Curves::weight_for_height, 'm', 130.0, 22.584905,
     26.7565775, 33.46027},
};

TEST(NchsReference, CurvePointsFollowTheCoefficientTable) {
  for (const CurveCase& c : kCurveCases) {
    SCOPED_TRACE(c.what);
    Child child{c.sex};
    const IndexResult* index = nullptr;
    AnthroResult r;
    switch (c.curves) {
      case Curves::weight_for_age:
        child.age_days = c.argument;
        r = evaluate(child);
        index = &r.waz;
        break;
      case Curves::height_for_age:
        child.age_days = c.argument;
        r = evaluate(child);
        index = &r.haz;
        break;
      case Curves::weight_for_length:
      case Curves::weight_for_height:
        child.age_days = c.curves == Curves::weight_for_length ? 0.0 : 1000.0;
        child.height_cm = c.argument;
        r = evaluate(child);
        index = &r.whz;
        break;
    }
    EXPECT_NEAR(index->curve_points[0], c.p3, 1e-8);
    EXPECT_NEAR(index->curve_points[1], c.p50, 1e-8);
    EXPECT_NEAR(index->curve_points[2], c.p97, 1e-8);
  }
}

enum class Index { waz, haz, whz };

const IndexResult& pick(const AnthroResult& r, Index i) {
  return i == Index::waz ? r.waz : i == Index::haz ? r.haz : r.whz;
}

struct ScoreCase {
  const char* what;
  Child child;
  Index index;
  double p3, p50, p97;
  double pct_of_median, z, percentile;
};

// z = 1.8807936 (x - P50) / (P97 - P50) above the median, / (P50 - P3) below it;
// percent of median = 100 x / P50.
const ScoreCase kScoreCases[] = {
    // Girl, 0 days: t = 0, so the curves are the a0 coefficients 2.30235, 3.22751, 3.91945.
    // Weights are whole grams, so the median itself (3227.51 g) cannot be entered; 3228 g lies
    // 0.00049 kg above it: z = 1.8807936 x 0.00049 / 0.69194 = 0.0013319,
    // pct = 322.8 / 3.22751 = 100.01518, percentile = 50.0531.
    {"WFA girl at the median at birth",
     {'w', 0.0, 3.228},
     Index::waz,
     2.30235,
     3.22751,
     3.91945,
     100.01518,
     0.0013318913,
     50.053135},
    // Boy, 365.25 days (12 months, t = 6 in the 6-month segment):
    // P50 = 7.84554 + 0.51945 x 6 - 0.026984 x 36 + 0.000738 x 216 = 10.150224;
    // P3 = 6.01058 + 0.5438 x 6 - 0.0344885 x 36 + 0.0009736 x 216 = 8.2420916;
    // P97 = 9.67299 + 0.558989 x 6 - 0.0258067 x 36 + 0.0006445 x 216 = 12.2370948.
    // 10.150 kg: pct = 1015 / 10.150224 = 99.997793 (99.998),
    // z = 1.8807936 x (-0.000224) / 1.9081324 = -0.00022079, just below 0.
    {"WFA boy of 12 months just below the median",
     {'m', 365.25, 10.150},
     Index::waz,
     8.2420916,
     10.150224,
     12.2370948,
     99.997793,
     -0.00022079063,
     49.991192},
    // Girl, 913.125 days (30 months, t = 6 in the 24-month segment):
    // P3 = 9.58878 + 0.162168 x 6 - 0.0015879 x 36 + 0.0000142 x 216 = 10.5076908;
    // P50 = 11.7963 + 0.219662 x 6 - 0.0026279 x 36 + 0.0000293 x 216 = 13.0259964.
    // 11.0 kg: z = 1.8807936 x (-2.0259964) / 2.5183056 = -1.513113, pct = 84.446515.
    {"WFA girl below the median uses the P3 band",
     {'w', 913.125, 11.0},
     Index::waz,
     10.5076908,
     13.0259964,
     16.2293608,
     84.446515,
     -1.513113,
     6.5125473},
    // Boy, 3043.75 days (100 months, t = 4 in the 96-month segment):
    // P50 = 25.2964 + 0.218676 x 4 + 0.0013895 x 16 + 0.0000071 x 64 = 26.1937904;
    // P97 = 34.0501 + 0.394048 x 4 + 0.0032588 x 16 - 0.0000164 x 64 = 35.6773832.
    // 28.0 kg: z = 1.8807936 x 1.8062096 / 9.4835928 = 0.35820891, pct = 106.89556.
    {"WFA boy above the median uses the P97 band",
     {'m', 3043.75, 28.0},
     Index::waz,
     19.9754112,
     26.1937904,
     35.6773832,
     106.89556,
     0.35820891,
     63.990651},
    // Girl, 304.375 days (10 months, t = 1 in the 9-month segment):
    // P3 = 65.3091 + 1.29719 - 0.0267922 + 0.000466 = 66.5799638;
    // P50 = 70.4487 + 1.3535 - 0.0241086 + 0.0003396 = 71.778431.
    // 70.0 cm: z = 1.8807936 x (-1.778431) / 5.1984672 = -0.64343229, pct = 97.522332.
    {"HFA girl of 10 months",
     {'w', 304.375, 0.0, 70.0},
     Index::haz,
     66.5799638,
     71.778431,
     76.978006,
     97.522332,
     -0.64343229,
     25.997182},
    // Boy, 913.125 days (30 months, t = 6 in the 24-month segment):
    // P50 = 85.5931 + 0.837795 x 6 - 0.0053379 x 36 + 0.0000234 x 216 = 90.43276;
    // P3 = 79.6017 + 0.725005 x 6 - 0.0039456 x 36 + 0.0000149 x 216 = 83.8129068.
    // 90.0 cm: z = 1.8807936 x (-0.43276) / 6.6198532 = -0.12295322, pct = 99.521457.
    {"HFA boy of 30 months",
     {'m', 913.125, 0.0, 90.0},
     Index::haz,
     83.8129068,
     90.43276,
     97.0465544,
     99.521457,
     -0.12295322,
     45.107207},
    // Girl, 57 months: P3 from the 24-month segment at t = 33,
    // 78.4609 + 0.769969 x 33 - 0.0057907 x 1089 + 0.0000299 x 35937 = 98.638321;
    // P50 from the 54-month segment at t = 3,
    // 105.083 + 0.561061 x 3 - 0.0020022 x 9 + 0.0000171 x 27 = 106.7486249.
    {"HFA girl of 57 months mixes the P3 and P50 segments",
     {'w', 57 * 30.4375, 0.0, 105.0},
     Index::haz,
     98.638321,
     106.7486249,
     114.8511595,
     98.361923,
     -0.40550916,
     34.255164},
    // Girl lying at 75 cm, 730 days: t = 3 in the 72-cm lying segment,
    // P3 = 7.3479 + 0.226503 x 3 - 0.0044345 x 9 + 0.0001374 x 27 = 7.9912083;
    // P50 = 8.89598 + 0.248036 x 3 - 0.0056861 x 9 + 0.0001813 x 27 = 9.5938082.
    // 9.0 kg: z = 1.8807936 x (-0.5938082) / 1.6025999 = -0.69688677.
    {"WFH girl lying at 730 days",
     {'w', 730.0, 9.0, 75.0},
     Index::whz,
     7.9912083,
     9.5938082,
     11.1124104,
     93.810506,
     -0.69688677,
     24.293683},
    // The same girl at 731 days stands: t = 20 in the 55-cm standing segment,
    // P3 = 3.03896 + 0.276098 x 20 - 0.0022693 x 400 + 0.0000201 x 8000 = 7.814;
    // P50 = 4.30208 + 0.364667 x 20 - 0.0062945 x 400 + 0.0000836 x 8000 = 9.74642.
    // 9.0 kg: z = 1.8807936 x (-0.74642) / 1.93242 = -0.72647869.
    {"WFH girl standing from 731 days",
     {'w', 731.0, 9.0, 75.0},
     Index::whz,
     7.814,
     9.74642,
     12.13002,
     92.341598,
     -0.72647869,
     23.377268},
    // Boy of unknown age below 85 cm lies: t = 12.9 in the 72-cm lying segment,
    // P50 = 9.07905 + 0.258223 x 12.9 - 0.0047102 x 166.41 + 0.000133 x 2146.689 = 11.91181196.
    {"WFH boy of unknown age at 84.9 cm lies",
     {'m', kMissingAge, 11.0, 84.9},
     Index::whz,
     10.18342047,
     11.91181196,
     13.84819413,
     92.345313,
     -0.9922116,
     16.054716},
    // From 85 cm he stands: t = 5 in the 80-cm standing segment,
    // P50 = 11.0122 + 0.219333 x 5 + 0.0002466 x 25 + 0.0000313 x 125 = 12.1189425.
    {"WFH boy of unknown age at 85.0 cm stands",
     {'m', kMissingAge, 11.0, 85.0},
     Index::whz,
     10.0749575,
     12.1189425,
     14.8530025,
     90.766996,
     -1.0296063,
     15.159742},
    // Boy of 4170 days (137.002 months) at 140 cm: boys' standing curves, t = 25,
    // P50 = 20.3336 + 0.351685 x 25 + 0.0035349 x 625 + 0.0001044 x 15625 = 32.9662875.
    {"WFH boy just after 137 months still has standing curves",
     {'m', 4170.0, 32.0, 140.0},
     Index::whz,
     26.95775,
     32.9662875,
     42.695375,
     97.068862,
     -0.3024675,
     38.114785},
    // Girl lying at 101.0 cm: the last lying segment includes its end, t = 11,
    // P50 = 12.5756 + 0.219539 x 11 + 0.0041029 x 121 - 0.0000204 x 1331 = 15.4598275.
    {"WFH girl lying on the closed end at 101.0 cm",
     {'w', 700.0, 15.0, 101.0},
     Index::whz,
     13.4728139,
     15.4598275,
     17.6708398,
     97.025662,
     -0.43524645,
     33.169177},
};

TEST(NchsReference, ScoresMatchHandWorkedCases) {
  for (const ScoreCase& c : kScoreCases) {
    SCOPED_TRACE(c.what);
    const AnthroResult result = evaluate(c.child);
    const IndexResult& r = pick(result, c.index);
    EXPECT_NEAR(r.curve_points[0], c.p3, 1e-7);
    EXPECT_NEAR(r.curve_points[1], c.p50, 1e-7);
    EXPECT_NEAR(r.curve_points[2], c.p97, 1e-7);
    EXPECT_NEAR(r.pct_of_median, c.pct_of_median, 1e-5);
    EXPECT_NEAR(r.z, c.z, 1e-6);
    EXPECT_NEAR(r.percentile, c.percentile, 2e-3);
  }
}

// The girls' P3 curve changes segment at 24 months, P50 and P97 already at 23.99 months.
TEST(NchsReference, GirlsHeightForAgeSwitchesP3AndMedianAtDifferentAges) {
  struct Border {
    const char* what;
    double months;
    double p3, p50, p97;
  };
  const Border kBorders[] = {
      // 23.985 months: all three from the 9-month segment at t = 14.985,
      // P50 = 70.4487 + 1.3535 x 14.985 - 0.0241086 x 14.985^2 + 0.0003396 x 14.985^3
      //     = 86.46002093.
      {"before 23.99 months", 23.985, 80.29933408, 86.46002093, 92.62428992},
      // 23.995 months: P3 still from the 9-month segment (t = 14.995),
      // 65.3091 + 1.29719 x 14.995 - 0.0267922 x 14.995^2 + 0.000466 x 14.995^3 = 80.30741498;
      // P50 from the 23.99-month segment at t = -0.005,
      // 84.4872 - 0.877385 x 0.005 - 0.0085419 x 0.000025 - ... = 84.48281286.
      {"between 23.99 and 24 months", 23.995, 80.30741498, 84.48281286, 90.5735321},
      // 24.005 months: P3 from the 24-month segment at t = 0.005,
      // 78.4609 + 0.769969 x 0.005 - ... = 78.4647497; P50 84.4872 + 0.877385 x 0.005 - ...
      {"after 24 months", 24.005, 78.4647497, 84.49158671, 90.58326736},
  };
  for (const Border& b : kBorders) {
    SCOPED_TRACE(b.what);
    const AnthroResult r = evaluate({'w', b.months * 30.4375, 0.0, 84.0});
    EXPECT_NEAR(r.haz.curve_points[0], b.p3, 1e-6);
    EXPECT_NEAR(r.haz.curve_points[1], b.p50, 1e-6);
    EXPECT_NEAR(r.haz.curve_points[2], b.p97, 1e-6);
  }
}

// Which indices a child gets: age limits, the lying/standing choice, oedema, missing values.
TEST(NchsReference, ComputesOnlyTheIndicesTheChildQualifiesFor) {
  struct Qualifies {
    const char* what;
    Child child;
    bool waz, haz, whz;
  };
  const Qualifies kCases[] = {
      {"unknown age: only WHZ", {'m', kMissingAge, 11.0, 84.9}, false, false, true},
      {"age not a number counts as missing", {'m', std::nan(""), 11.0, 85.0}, false, false, true},
      {"oedema: HAZ only", {'w', 700.0, 9.0, 75.0, 'y'}, false, true, false},
      {"upper-case oedema code is not oedema", {'w', 700.0, 9.0, 75.0, 'Y'}, true, true, true},
      {"girl of 120 months stands", {'w', 120 * 30.4375, 25.0, 130.0}, true, true, true},
      {"girl of 121 months: no WHZ", {'w', 121 * 30.4375, 25.0, 130.0}, true, true, false},
      // 4201 days are 138.02 months (138 x 30.4375 days would still be a hair below 138).
      {"boy of 138 months: no WHZ", {'m', 4201.0, 32.0, 140.0}, true, true, false},
      {"girl lying beyond 101.0 cm: no WHZ", {'w', 700.0, 15.0, 101.1}, true, true, false},
      {"boy lying beyond 103.0 cm: no WHZ", {'m', 700.0, 15.0, 103.1}, true, true, false},
      {"girl standing beyond 137.0 cm: no WHZ", {'w', 1000.0, 30.0, 137.1}, true, true, false},
      {"lying below 49 cm: no WHZ", {'w', 0.0, 2.5, 48.9}, true, true, false},
      {"boy of 6574 days still has WAZ and HAZ", {'m', 6574.0, 60.0, 170.0}, true, true, false},
      {"6575 days: no age-based index", {'m', 6575.0, 60.0, 170.0}, false, false, false},
      {"no weight: only HAZ", {'w', 700.0, 0.0, 75.0}, false, true, false},
      {"no height: only WAZ", {'w', 700.0, 9.0, 0.0}, true, false, false},
      {"sex not given: nothing", {' ', 700.0, 9.0, 75.0}, false, false, false},
  };
  for (const Qualifies& c : kCases) {
    SCOPED_TRACE(c.what);
    const AnthroResult r = evaluate(c.child);
    EXPECT_EQ(r.waz.computed(), c.waz);
    EXPECT_EQ(r.haz.computed(), c.haz);
    EXPECT_EQ(r.whz.computed(), c.whz);
    for (const IndexResult* index : {&r.waz, &r.haz, &r.whz}) {
      if (!index->computed()) {
        EXPECT_EQ(index->z, kNotComputed);
        EXPECT_EQ(index->percentile, 0.0);
        EXPECT_EQ(index->pct_of_median, 0.0);
      }
    }
    // BMI-for-age and MUAC-for-age have no NCHS reference.
    EXPECT_EQ(r.baz.z, kNotComputed);
    EXPECT_EQ(r.muacz.z, kNotComputed);
  }
}

// The weight given to the step is the one after the clothes correction, not the entered one.
TEST(NchsReference, UsesTheEffectiveWeight) {
  Measurement m;
  m.sex = 'w';
  m.age_days = 0.0;
  m.weight_g = 3528;  // entered with 300 g of clothes
  AnthroResult r;
  evaluate_nchs(m, 'w', 3228, r);
  EXPECT_NEAR(r.waz.pct_of_median, 100.01518, 1e-5);  // 322.8 / 3.22751
  AnthroResult none;
  evaluate_nchs(m, 'w', -272, none);  // clothes heavier than the child: no weight
  EXPECT_FALSE(none.waz.computed());
}

}  // namespace
}  // namespace olvar::anthro
