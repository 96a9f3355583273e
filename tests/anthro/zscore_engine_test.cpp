#include "anthro/zscore_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/test_paths.h"

namespace olvar::anthro {
namespace {

// The generated WHO table, read once for the whole file.
const WhoReference& who() {
  static const WhoReference table = WhoReference::load(test::build_data_path(kWhoTableFileName));
  return table;
}

// Reads like the case: child().boy().age_days(700).height_cm(80.0).standing().weight_kg(10.0)
struct Child {
  Measurement m;
  Child& boy() { return m.sex = 'm', *this; }
  Child& girl() { return m.sex = 'f', *this; }
  Child& sex(char s) { return m.sex = s, *this; }
  Child& age_days(double d) { return m.age_days = d, *this; }
  Child& weight_kg(double kg) {
    return m.weight_g = static_cast<int>(std::lround(kg * 1000)), *this;
  }
  Child& height_cm(double cm) {
    return m.height_cm_x1000 = static_cast<int>(std::lround(cm * 1000)), *this;
  }
  Child& muac_mm(double mm) {
    return m.muac_mm_x100 = static_cast<int>(std::lround(mm * 100)), *this;
  }
  Child& lying() { return m.position = 'l', *this; }
  Child& standing() { return m.position = 'h', *this; }
  Child& oedema() { return m.oedema = 'y', *this; }
  Child& clothes(char c, int grams) { return m.clothes = c, m.clothes_weight_g = grams, *this; }
};
Child child() { return {}; }

enum class Index { waz, haz, whz, baz, muacz };
const IndexResult& pick(const AnthroResult& r, Index i) {
  switch (i) {
    case Index::waz:
      return r.waz;
    case Index::haz:
      return r.haz;
    case Index::whz:
      return r.whz;
    case Index::baz:
      return r.baz;
    case Index::muacz:
      return r.muacz;
  }
  return r.waz;
}

struct EngineCase {
  const char* what;
  Measurement m;
  Index index;
  double z;              // kNotComputed when the index must stay missing
  double pct_of_median;  // ignored when not computed
};

// Expected values worked by hand from the WHO text tables (sex, key: L, M, S), with
// z = ((x/M)^L - 1) / (L S) and percent of median = 100 x / M.
const EngineCase kCases[] = {
    // --- Weight-for-age ---
    // weianthro boys day 365: L 0.0645, M 9.646, S 0.10925. (9.6/9.646)^0.0645 = 0.999691723,
    // z = -0.000308277 / 0.007046625 = -0.043748. The WHO simplified field table gives a median
    // of 9.6 kg for boys of 12 months, so about 0.
    {"boy 365 days at the published median", child().boy().age_days(365).weight_kg(9.6).m,
     Index::waz, -0.043748, 99.523118},
    // girls day 365: L -0.2022, M 8.9462, S 0.12267. (8.9/8.9462)^-0.2022 = 1.001047456,
    // z = 0.001047456 / -0.024803874 = -0.042230. Field table median for girls: 8.9 kg.
    {"girl 365 days at the published median", child().girl().age_days(365).weight_kg(8.9).m,
     Index::waz, -0.042230, 99.483580},
    // clothes 300 g: 10.0 kg counts as 9.7 kg. (9.7/9.646)^0.0645 = 1.000360140, z = 0.051108.
    {"clothes weight subtracted", child().boy().age_days(365).weight_kg(10.0).clothes('y', 300).m,
     Index::waz, 0.051108, 100.559818},
    // clothes not "y": 10.0 kg as it is. (10/9.646)^0.0645 = 1.002327398, z = 0.330286.
    {"clothes weight ignored without clothes",
     child().boy().age_days(365).weight_kg(10.0).clothes('n', 300).m, Index::waz, 0.330286,
     103.669915},
    // Boys day 365 curve points: -3 SD = 9.646 (1 - 3 x 0.0645 x 0.10925)^(1/0.0645) = 6.925979,
    // -2 SD = 7.740676, +2 SD = 11.983347, +3 SD = 13.341468.
    // Weights are whole grams. 6926 g lies just above the -3 SD curve: the LMS formula,
    // z = ((6.926/9.646)^0.0645 - 1) / 0.007046625 = -2.999973.
    {"just above the -3 SD curve", child().boy().age_days(365).weight_kg(6.926).m, Index::waz,
     -2.999973, 71.801783},
    // 6519 g: -3 - (6.925979 - 6.519) / (7.740676 - 6.925979) = -3 - 0.406979 / 0.814697
    // = -3.499547, about half a band below -3 SD.
    {"half a band below -3 SD", child().boy().age_days(365).weight_kg(6.519).m, Index::waz,
     -3.499547, 67.582418},
    // 14021 g: 3 + (14.021 - 13.341468) / (13.341468 - 11.983347) = 3 + 0.679532 / 1.358121
    // = 3.500347.
    {"half a band above +3 SD", child().boy().age_days(365).weight_kg(14.021).m, Index::waz,
     3.500347, 145.355588},
    // girls day 1856: L -0.3531, M 18.389, S 0.14892. (16/18.389)^-0.3531 = 1.050366117,
    // z = 0.050366117 / -0.052583652 = -0.957828.
    {"girl 1856 days: last daily record", child().girl().age_days(1856).weight_kg(16).m, Index::waz,
     -0.957828, 87.008538},
    // 1857 days: H = 1/30.4375 = 0.032854; wfawho2007 girls 61 months (-0.4681, 18.2579,
    // 0.14295) and 62 months (-0.4711, 18.4329, 0.1435): L -0.468199, M 18.263649,
    // S 0.142968; z = ((16/18.263649)^-0.468199 - 1) / (-0.468199 x 0.142968) = -0.954821.
    {"girl 1857 days: monthly interpolation", child().girl().age_days(1857).weight_kg(16).m,
     Index::waz, -0.954821, 87.605711},
    // 3651 days: H = 1795/30.4375 = 58.973306, boys 119 months (-0.6752, 30.8854, 0.16213)
    // and 120 months (-0.6764, 31.1586, 0.16305): L -0.676368, M 31.151307, S 0.163025;
    // z = ((30/31.151307)^-0.676368 - 1) / (-0.676368 x 0.163025) = -0.233967.
    {"boy 3651 days: last month of weight-for-age", child().boy().age_days(3651).weight_kg(30).m,
     Index::waz, -0.233967, 96.304145},
    {"boy 3652 days: beyond weight-for-age", child().boy().age_days(3652).weight_kg(30).m,
     Index::waz, kNotComputed, 0},
    {"oedema: no weight-for-age", child().boy().age_days(365).weight_kg(9.6).oedema().m, Index::waz,
     kNotComputed, 0},
    {"missing age: no weight-for-age", child().boy().weight_kg(9.6).height_cm(75).m, Index::waz,
     kNotComputed, 0},
    {"no weight", child().boy().age_days(365).height_cm(75).m, Index::waz, kNotComputed, 0},
    {"clothes heavier than the child",
     child().boy().age_days(365).weight_kg(0.2).clothes('y', 300).m, Index::waz, kNotComputed, 0},

    // --- Length/height-for-age (height converted by 0.7 cm where the position disagrees) ---
    // girl 800 days lying 85.0 -> standing 84.3. lenanthro girls day 800: L 1, M 87.6853,
    // S 0.03814. z = (84.3/87.6853 - 1) / 0.03814 = -1.012254.
    {"girl 800 days lying: 84.3 cm standing", child().girl().age_days(800).height_cm(85).lying().m,
     Index::haz, -1.012254, 96.139262},
    // boy 700 days standing 80.0 -> lying 80.7. boys day 700: M 86.9392, S 0.03445.
    // z = (80.7/86.9392 - 1) / 0.03445 = -2.083167.
    {"boy 700 days standing: 80.7 cm lying", child().boy().age_days(700).height_cm(80).standing().m,
     Index::haz, -2.083167, 92.823490},
    // 730 days is still lying age. boys day 730: M 87.8018, S 0.03479;
    // z = (80.7/87.8018 - 1) / 0.03479 = -2.324934.
    {"boy 730 days standing: converted", child().boy().age_days(730).height_cm(80).standing().m,
     Index::haz, -2.324934, 91.911555},
    // 730.5 days rounds to 730 (halves to even): still lying age, the same child as above.
    {"boy 730.5 days standing: converted", child().boy().age_days(730.5).height_cm(80).standing().m,
     Index::haz, -2.324934, 91.911555},
    // 731 days standing: as given. boys day 731: M 87.1303, S 0.03508;
    // z = (85/87.1303 - 1) / 0.03508 = -0.696967.
    {"boy 731 days standing: as given", child().boy().age_days(731).height_cm(85).standing().m,
     Index::haz, -0.696967, 97.555041},
    {"boy 731 days lying 85.7: 85.0 standing",
     child().boy().age_days(731).height_cm(85.7).lying().m, Index::haz, -0.696967, 97.555041},
    {"boy 731 days, position not given: standing", child().boy().age_days(731).height_cm(85).m,
     Index::haz, -0.696967, 97.555041},
    // 6938 days: H = 5082/30.4375 = 166.965092, hfawho2007 girls 227 months (1, 163.1534,
    // 0.04012) and 228 months (1, 163.1548, 0.04009): M 163.154751, S 0.040091;
    // z = (160/163.154751 - 1) / 0.040091 = -0.482301.
    {"girl 6938 days: last day of the reference", child().girl().age_days(6938).height_cm(160).m,
     Index::haz, -0.482301, 98.066406},
    {"girl 6939 days: beyond the reference", child().girl().age_days(6939).height_cm(160).m,
     Index::haz, kNotComputed, 0},
    // L = 1 makes the tail rule a straight line: girls day 800 (M 87.6853, S 0.03814) at
    // 70.7 - 0.7 = 70.0 cm standing: (70/87.6853 - 1) / 0.03814 = -5.288164.
    {"far below -3 SD", child().girl().age_days(800).height_cm(70.7).lying().m, Index::haz,
     -5.288164, 79.830941},
    {"oedema: height-for-age still computed",
     child().girl().age_days(800).height_cm(85).lying().oedema().m, Index::haz, -1.012254,
     96.139262},
    {"missing age: no height-for-age", child().girl().height_cm(85).weight_kg(11).m, Index::haz,
     kNotComputed, 0},

    // --- Weight-for-length/height ---
    // boy 700 days, 80.0 standing -> 80.7 lying: wflanthro boys 80.7: L -0.3521, M 10.5781,
    // S 0.08298. (10/10.5781)^-0.3521 = 1.019985364, z = 0.019985364 / -0.029217258 = -0.684026.
    {"boy 700 days standing: weight-for-length at 80.7",
     child().boy().age_days(700).height_cm(80).standing().weight_kg(10).m, Index::whz, -0.684026,
     94.534935},
    // girl 800 days, 85.0 lying -> 84.3 standing: wfhanthro girls 84.3: L -0.3833, M 11.2198,
    // S 0.08898. (11.2/11.2198)^-0.3833 = 1.000677251, z = -0.019857.
    {"girl 800 days lying: weight-for-height at 84.3",
     child().girl().age_days(800).height_cm(85).lying().weight_kg(11.2).m, Index::whz, -0.019857,
     99.823526},
    // missing age, no position, 86.9 cm: wflanthro boys 86.9: L -0.3521, M 11.9668, S 0.08114.
    // (12/11.9668)^-0.3521 = 0.999024982, z = 0.034128.
    {"missing age, 86.9 cm: weight-for-length", child().boy().height_cm(86.9).weight_kg(12).m,
     Index::whz, 0.034128, 100.277434},
    // 87.0 cm: wfhanthro boys 87.0: L -0.3521, M 12.1645, S 0.0809. z = -0.168701.
    {"missing age, 87.0 cm: weight-for-height", child().boy().height_cm(87).weight_kg(12).m,
     Index::whz, -0.168701, 98.647704},
    // wfhanthro boys 120.0 (record 9280): L -0.3521, M 22.353, S 0.09424;
    // (22/22.353)^-0.3521 = 1.005620494, z = -0.169384.
    {"120.0 cm standing: last record",
     child().boy().age_days(1500).height_cm(120).standing().weight_kg(22).m, Index::whz, -0.169384,
     98.420794},
    {"120.1 cm standing: beyond the table",
     child().boy().age_days(1500).height_cm(120.1).standing().weight_kg(22).m, Index::whz,
     kNotComputed, 0},
    // wflanthro boys 45.0: L -0.3521, M 2.441, S 0.09182; (2.4/2.441)^-0.3521 = 1.005982062,
    // z = -0.185032.
    {"45.0 cm lying: first record", child().boy().age_days(10).height_cm(45).weight_kg(2.4).m,
     Index::whz, -0.185032, 98.320361},
    {"44.9 cm lying: below the table", child().boy().age_days(10).height_cm(44.9).weight_kg(2.4).m,
     Index::whz, kNotComputed, 0},
    // wflanthro girls 110.0: L -0.3833, M 18.3324, S 0.09401; z = -0.195325.
    {"110.0 cm lying: last record", child().girl().age_days(600).height_cm(110).weight_kg(18).m,
     Index::whz, -0.195325, 98.186817},
    {"110.1 cm lying: beyond the table",
     child().girl().age_days(600).height_cm(110.1).weight_kg(18).m, Index::whz, kNotComputed, 0},
    // wfhanthro girls 65.0: L -0.3833, M 7.2402, S 0.09113; z = -0.372630.
    {"65.0 cm standing: first record", child().girl().age_days(1000).height_cm(65).weight_kg(7).m,
     Index::whz, -0.372630, 96.682412},
    {"64.9 cm standing: below the table",
     child().girl().age_days(1000).height_cm(64.9).weight_kg(7).m, Index::whz, kNotComputed, 0},
    // wfhanthro girls 105.0: L -0.3833, M 16.78, S 0.09243; z = -0.519700.
    {"1855 days: still computed", child().girl().age_days(1855).height_cm(105).weight_kg(16).m,
     Index::whz, -0.519700, 95.351609},
    {"1856 days: no weight-for-height",
     child().girl().age_days(1856).height_cm(105).weight_kg(16).m, Index::whz, kNotComputed, 0},
    {"oedema: no weight-for-height", child().boy().height_cm(86.9).weight_kg(12).oedema().m,
     Index::whz, kNotComputed, 0},

    // --- BMI-for-age ---
    // boy 1000 days, 14 kg, 90.0 cm standing: BMI 14/0.81 = 17.283951. bmianthro boys day 1000:
    // L -0.3601, M 15.6982, S 0.0788; (17.283951/15.6982)^-0.3601 = 0.965940295, z = 1.200305.
    {"boy 1000 days", child().boy().age_days(1000).height_cm(90).weight_kg(14).m, Index::baz,
     1.200305, 110.101481},
    // girl 400 days, 9 kg, 75.0 cm lying: BMI 16. girls day 400: L -0.3968, M 16.2138, S 0.08764;
    // (16/16.2138)^-0.3968 = 1.005281023, z = -0.151860.
    {"girl 400 days", child().girl().age_days(400).height_cm(75).weight_kg(9).m, Index::baz,
     -0.151860, 98.681370},
    // boy 2500 days, 20 kg, 115.0 cm: BMI 15.122873. H = 644/30.4375 = 21.158111, bfawho2007
    // boys 82 months (-1.206, 15.4473, 0.08998) and 83 (-1.2261, 15.465, 0.09033):
    // L -1.209178, M 15.450099, S 0.090035; z = -0.240866.
    {"boy 2500 days: monthly", child().boy().age_days(2500).height_cm(115).weight_kg(20).m,
     Index::baz, -0.240866, 97.882051},
    {"oedema: no BMI-for-age", child().boy().age_days(1000).height_cm(90).weight_kg(14).oedema().m,
     Index::baz, kNotComputed, 0},

    // --- MUAC-for-age ---
    // girl 12 months (365.25 days), 140 mm = 14.0 cm: acfawho_monthly girls 12: L -0.1733,
    // M 14.2065, S 0.0828; (14/14.2065)^-0.1733 = 1.002540729, z = -0.177064.
    {"girl 12 months", child().girl().age_days(365.25).muac_mm(140).m, Index::muacz, -0.177064,
     98.546440},
    // boy 100 days: H = 3.285421, boys 3 months (0.3928, 13.4817, 0.07475) and 4 months
    // (0.3475, 13.8097, 0.07523): L 0.379870, M 13.575318, S 0.074887; z = -0.074215.
    {"boy 100 days", child().boy().age_days(100).muac_mm(135).m, Index::muacz, -0.074215,
     99.445184},
    // boy 100.5 days: H = 3.301848, the same two months: L 0.379126, M 13.580706, S 0.074895;
    // z = ((13.5/13.580706)^0.379126 - 1) / (0.379126 x 0.074895) = -0.079494.
    {"boy 100.5 days", child().boy().age_days(100.5).muac_mm(135).m, Index::muacz, -0.079494,
     99.405729},
    {"2.9 months: too young", child().boy().age_days(2.9 * 30.4375).muac_mm(135).m, Index::muacz,
     kNotComputed, 0},
    {"60 months: too old", child().boy().age_days(1826.25).muac_mm(150).m, Index::muacz,
     kNotComputed, 0},
    {"oedema: MUAC-for-age still computed", child().girl().age_days(365.25).muac_mm(140).oedema().m,
     Index::muacz, -0.177064, 98.546440},
};

TEST(WhoEngine, MatchesHandWorkedChildren) {
  for (const EngineCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const AnthroResult all = evaluate(c.m, Reference::who2006, who());
    const IndexResult& r = pick(all, c.index);
    if (c.z == kNotComputed) {
      EXPECT_EQ(r.z, kNotComputed);
      EXPECT_EQ(r.percentile, 0.0);
      EXPECT_EQ(r.pct_of_median, 0.0);
    } else {
      EXPECT_NEAR(r.z, c.z, 2e-6);  // single precision
      EXPECT_NEAR(r.pct_of_median, c.pct_of_median, 1e-5);
    }
  }
}

TEST(WhoEngine, GivesPercentileAndCurvePointsOfTheChild) {
  const AnthroResult r =
      evaluate(child().boy().age_days(365).weight_kg(6.519).m, Reference::who2006, who());
  // The percentile is of the plain LMS z: ((6.519/9.646)^0.0645 - 1) / 0.007046625 = -3.541534,
  // Phi(-3.541534) = 0.0199 percent; the tail rule's -3.4995 would give 0.0233.
  EXPECT_NEAR(r.waz.percentile, 0.0199, 1e-3);
  // Boys day 365 curve points worked above; the median is M.
  EXPECT_NEAR(r.waz.curve_points[0], 6.925979, 1e-6);
  EXPECT_NEAR(r.waz.curve_points[1], 7.740676, 1e-6);
  EXPECT_EQ(r.waz.curve_points[4], 9.646);
  EXPECT_NEAR(r.waz.curve_points[7], 11.983347, 1e-6);
  EXPECT_NEAR(r.waz.curve_points[8], 13.341468, 1e-6);
}

TEST(WhoEngine, GivesCurvePointsOfInterpolatedParameters) {
  // MUAC boy 100.5 days, worked above: L 0.379126, M 13.580706, S 0.074895. The -2 SD curve is
  // 13.580706 (1 - 2 x 0.379126 x 0.074895)^(1/0.379126) = 11.639901.
  const AnthroResult r =
      evaluate(child().boy().age_days(100.5).muac_mm(135).m, Reference::who2006, who());
  EXPECT_NEAR(r.muacz.curve_points[4], 13.580706, 1e-6);
  EXPECT_NEAR(r.muacz.curve_points[1], 11.639901, 1e-5);
}

TEST(WhoEngine, ReturnsPositionUsedEffectiveWeightAndBmi) {
  const struct {
    const char* what;
    Measurement m;
    char position;
    int weight_g;
    float bmi;
  } cases[] = {
      {"lying at 700 days stays lying",
       child().boy().age_days(700).height_cm(80).lying().weight_kg(10).m, 'l', 10000,
       10.0f / (0.8f * 0.8f)},
      // BMI from the converted height: 10 / 0.807^2 = 15.354.
      {"standing below 731 days becomes lying",
       child().boy().age_days(700).height_cm(80).standing().weight_kg(10).m, 'l', 10000,
       10.0f / (0.807f * 0.807f)},
      {"no position, 731 days", child().boy().age_days(731).height_cm(85).weight_kg(12).m, 'h',
       12000, 12.0f / (0.85f * 0.85f)},
      {"no position, missing age, 86.9 cm", child().boy().height_cm(86.9).weight_kg(12).m, 'l',
       12000, 12.0f / (0.869f * 0.869f)},
      {"clothes subtracted",
       child().boy().age_days(365).height_cm(75).weight_kg(10).clothes('y', 300).m, 'l', 9700,
       9.7f / (0.75f * 0.75f)},
      {"clothes weight below 1 g ignored",
       child().boy().age_days(365).height_cm(75).weight_kg(10).clothes('y', 0).m, 'l', 10000,
       10.0f / (0.75f * 0.75f)},
      {"BMI with oedema and missing age", child().girl().height_cm(80).weight_kg(9).oedema().m, 'l',
       9000, 9.0f / (0.8f * 0.8f)},
      {"no BMI without a height", child().girl().age_days(400).weight_kg(9).m, 'l', 9000, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const AnthroResult r = evaluate(c.m, Reference::who2006, who());
    EXPECT_EQ(r.position, c.position);
    EXPECT_EQ(r.effective_weight_g, c.weight_g);
    EXPECT_NEAR(r.bmi, c.bmi, 1e-4);
  }
}

bool nothing_computed(const AnthroResult& r) {
  for (const IndexResult* i : {&r.waz, &r.haz, &r.whz, &r.baz, &r.muacz}) {
    if (i->z != kNotComputed || i->percentile != 0.0 || i->pct_of_median != 0.0) return false;
    for (double p : i->curve_points)
      if (p != 0.0) return false;
  }
  return true;
}

TEST(WhoEngine, SexSpellingsAndUnknownSex) {
  const Child base = child().age_days(800).height_cm(85).lying().weight_kg(11.2).muac_mm(150);
  const AnthroResult f = evaluate(Child(base).sex('f').m, Reference::who2006, who());
  const AnthroResult w = evaluate(Child(base).sex('w').m, Reference::who2006, who());
  EXPECT_NEAR(f.whz.z, -0.019857, 2e-6);
  EXPECT_EQ(f.whz.z, w.whz.z);
  EXPECT_EQ(f.haz.z, w.haz.z);
  for (char s : {' ', 'x', 'M', 'F'}) {
    SCOPED_TRACE(std::string(1, s));
    EXPECT_TRUE(nothing_computed(evaluate(Child(base).sex(s).m, Reference::who2006, who())));
  }
}

TEST(WhoEngine, AgeFromTheEndOfTheReferenceComputesNothing) {
  const AnthroResult r = evaluate(child().girl().age_days(6939).height_cm(160).weight_kg(50).m,
                                  Reference::who2006, who());
  EXPECT_TRUE(nothing_computed(r));
  EXPECT_EQ(r.bmi, 0.0f);
}

TEST(WhoEngine, MissingTableLeavesEveryIndexMissingWithoutNaN) {
  const WhoReference zero_table;
  const AnthroResult r =
      evaluate(child().boy().age_days(700).height_cm(80).weight_kg(10).muac_mm(140).m,
               Reference::who2006, zero_table);
  EXPECT_TRUE(nothing_computed(r));
  EXPECT_NEAR(r.bmi, 15.625f, 1e-4);  // 10 / 0.8^2 needs no table
}

TEST(WhoEngine, NchsSelectedRunsNoWhoIndex) {
  const AnthroResult r =
      evaluate(child().boy().age_days(700).height_cm(80).standing().weight_kg(10).muac_mm(140).m,
               Reference::nchs1977, who());
  EXPECT_EQ(r.baz.z, kNotComputed);
  EXPECT_EQ(r.muacz.z, kNotComputed);
  EXPECT_EQ(r.bmi, 0.0f);
  EXPECT_EQ(r.position, 'h');  // the NCHS reference uses the height as given
}

TEST(WhoEngine, ExtremeInputsNeverGiveNaNOrInfinity) {
  const Measurement extremes[] = {
      child().boy().age_days(400).height_cm(75).weight_kg(1e-3).muac_mm(0.01).m,
      child().girl().age_days(400).height_cm(75).weight_kg(2e6).muac_mm(2e7).m,
      child().boy().age_days(1e300).height_cm(75).weight_kg(10).m,
      child().boy().age_days(std::nan("")).height_cm(75).weight_kg(10).m,
      child().boy().age_days(-INFINITY).height_cm(75).weight_kg(10).m,
      child().girl().age_days(500).height_cm(-99999).weight_kg(-99999).muac_mm(-99999).m,
      Measurement{'m', 2147483647, 2147483647, 2147483647, 'h', ' ', 'y', -2147483647 - 1, 100.0},
      Measurement{'w', -2147483647 - 1, -2147483647 - 1, 1, 'l', ' ', 'y', 2147483647, 400.0},
  };
  for (const Measurement& m : extremes) {
    const AnthroResult r = evaluate(m, Reference::who2006, who());
    for (const IndexResult* i : {&r.waz, &r.haz, &r.whz, &r.baz, &r.muacz}) {
      EXPECT_TRUE(std::isfinite(i->z));
      EXPECT_TRUE(std::isfinite(i->percentile));
      EXPECT_TRUE(std::isfinite(i->pct_of_median));
      for (double p : i->curve_points) EXPECT_TRUE(std::isfinite(p));
    }
    EXPECT_TRUE(std::isfinite(r.bmi));
  }
}

}  // namespace
}  // namespace olvar::anthro
