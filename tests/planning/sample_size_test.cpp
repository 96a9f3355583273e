#include "planning/sample_size.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scripted_prompter.h"

namespace olvar::planning {
namespace {

using ::testing::ElementsAre;

struct Case {
  const char* what;
  bool cluster;
  long long population;  // with the correction switched on when above 0
  const char* children;
  const char* households;
  const char* persons;
  const char* person_households;
};

// Worked by hand from the defaults (prevalence 20 %, precision 5 %, household size 5, under five
// 15 %, non-response 3 %; death rate 0.5, precision 0.3, recall 93 days):
//   cluster: n = 4.182025 x 1.5 x 0.2 x 0.8 / 0.0025 = 401.47, households 401.47 / (0.97 x 5 x
//   0.15 x 0.9) = 613.2; persons 4.182025 x 1.5 x 0.5 x 10000 / (0.09 x 93) = 3747.34,
//   households 3747.34 / (5 x 0.97) = 772.65.
//   random (design effects 1): n = 3.8416 x 0.16 / 0.0025 = 245.86, households 375.5;
//   persons 3.8416 x 5000 / 8.37 = 2294.86, households 473.2.
//   population 10,000 corrected: children N = 10000 x 0.15 x 0.9 = 1350, n = 401.47 /
//   (400.47 / 1350 + 1) = 309.6, households 472.9; persons 3747.34 / (3746.34 / 10000 + 1)
//   = 2726.05, households 562.1.
constexpr Case kCases[] = {
    {"cluster sampling, defaults", true, 0, "401", "613", "3747", "773"},
    {"random sampling, design effects 1", false, 0, "246", "376", "2295", "473"},
    {"small population of 10,000", true, 10000, "310", "473", "2726", "562"},
    {"a population of 100 counts as none", true, 100, "401", "613", "3747", "773"},
};

TEST(SampleSize, WorkedExamples) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    core::PlanningPage page;
    PlanningSession session;
    session.population_size = c.population;
    session.small_population = c.population > 0;
    SamplingRandomClick(page, c.cluster, session);
    EXPECT_EQ(session.outputs.Panel2, c.children);
    EXPECT_EQ(session.outputs.Panel7, c.households);
    EXPECT_EQ(session.outputs.Panel3, c.persons);
    EXPECT_EQ(session.outputs.Panel10, c.person_households);
  }
}

TEST(SampleSize, RandomSamplingSetsBothDesignEffectsAndClusterPutsThemBack) {
  core::PlanningPage page;
  PlanningSession session;
  SamplingRandomClick(page, false, session);
  EXPECT_FALSE(page.cluster_sampling);
  EXPECT_EQ(page.sc_d, "1");
  EXPECT_EQ(page.sm_c, "1");
  SamplingRandomClick(page, true, session);
  EXPECT_EQ(page.sc_d, "1.5");
  EXPECT_EQ(page.sm_c, "1.5");
}

TEST(SampleSize, AnEmptyInputEmptiesTheHouseholdsAndKeepsTheCount) {
  core::PlanningPage page;
  PlanningSession session;
  recompute_sample_sizes(page, session);
  page.sc_g.clear();
  sc_aChange(page, session);
  EXPECT_EQ(session.outputs.Panel2, "401");
  EXPECT_EQ(session.outputs.Panel7, "");
  page.sc_b.clear();  // one of the first three: the count goes too
  sc_aChange(page, session);
  EXPECT_EQ(session.outputs.Panel2, "");

  page.sm_f.clear();
  sm_aChange(page, session);
  EXPECT_EQ(session.outputs.Panel3, "3747");
  EXPECT_EQ(session.outputs.Panel10, "");
  page.sm_d.clear();
  sm_aChange(page, session);
  EXPECT_EQ(session.outputs.Panel3, "");
}

TEST(SampleSize, ArithmeticFailuresAndTextsThatAreNotNumbersEmptyBothOutputs) {
  struct Failure {
    const char* what;
    std::string core::PlanningPage::*field;
    const char* text;
    bool anthropometric;
  };
  const Failure failures[] = {
      {"precision 0", &core::PlanningPage::sc_c, "0", true},
      {"no children per household", &core::PlanningPage::sc_f, "0", true},
      {"prevalence not a number", &core::PlanningPage::sc_b, "2o", true},
      {"mortality precision 0", &core::PlanningPage::sm_b, "0", false},
      {"recall period not a number", &core::PlanningPage::sm_d, "ninety", false},
      {"household size 0", &core::PlanningPage::sm_e, "0", false},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.what);
    core::PlanningPage page;
    PlanningSession session;
    recompute_sample_sizes(page, session);
    page.*f.field = f.text;
    recompute_sample_sizes(page, session);
    EXPECT_EQ(f.anthropometric ? session.outputs.Panel2 : session.outputs.Panel3, "");
    EXPECT_EQ(f.anthropometric ? session.outputs.Panel7 : session.outputs.Panel10, "");
    EXPECT_EQ(f.anthropometric ? session.outputs.Panel3 : session.outputs.Panel2,
              f.anthropometric ? "3747" : "401");
  }
}

TEST(SampleSize, UnreadableInputsAreNamed) {
  core::PlanningPage page;
  page.sc_b = "2o";
  page.sm_d = "ninety";
  page.sc_c = "5,5";  // the other decimal separator reads
  EXPECT_THAT(unreadable_inputs(page),
              ElementsAre("Estimated prevalence (%): \"2o\" is not a number",
                          "Recall period in days: \"ninety\" is not a number"));
}

TEST(SampleSize, TheCorrectionNeedsAPopulationAboveOneHundred) {
  core::LanguageTable text;
  text.read_english("0094 No population\n");
  core::PlanningPage page;
  PlanningSession session;
  test::ScriptedPrompter prompter;

  csps1Click(true, page, session, text, prompter);  // empty table
  EXPECT_THAT(prompter.messages, ElementsAre("No population"));
  EXPECT_FALSE(session.csps1);
  EXPECT_FALSE(session.small_population);

  session.population_size = 10000;
  csps1Click(true, page, session, text, prompter);
  EXPECT_TRUE(session.csps1);
  EXPECT_TRUE(session.small_population);
  EXPECT_EQ(session.outputs.Panel2, "310");
  csps1Click(false, page, session, text, prompter);
  EXPECT_FALSE(session.small_population);
  EXPECT_EQ(session.outputs.Panel2, "401");
  EXPECT_EQ(prompter.messages.size(), 1u);
}

}  // namespace
}  // namespace olvar::planning
