#include "core/survey_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/prompter.h"
#include "support/test_paths.h"

namespace olvar::core {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::HasSubstr;

constexpr DateConventions kDmyPoint{DateOrder::dmy, '.', '.'};
constexpr DateConventions kMdySlash{DateOrder::mdy, '/', '.'};
constexpr DateConventions kDmyComma{DateOrder::dmy, '.', ','};

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

SurveyReadResult read(std::string_view bytes, DateConventions dates = kDmyPoint,
                      Workspace start = {}) {
  SurveyReadContext context;
  context.dates = dates;
  return read_survey_bytes(bytes, "test.as", std::move(start), context);
}

// A folder of its own for each test that touches files.
class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            (std::string("olvar_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class ScriptedPrompter : public Prompter {
 public:
  std::vector<std::string> messages;
  std::optional<std::string> file_answer;
  int dialogs = 0;
  void inform(std::string_view message) override { messages.emplace_back(message); }
  bool ask_yes_no(std::string_view) override { return true; }
  std::optional<std::string> ask_text(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> choose_file(std::string_view, std::string_view filter,
                                         bool for_saving) override {
    ++dialogs;
    EXPECT_EQ(filter, "Surveydata|*.as");
    EXPECT_TRUE(for_saving);
    return file_answer;
  }
};

LanguageTable save_texts() {
  LanguageTable text;
  text.read_english("0853 filter active\n0854 choose a name\n");
  return text;
}

// --- Reading the anthropometric block ---------------------------------------------------------

TEST(SurveyFileRead, HeaderWithoutOrderLineIsReadAsDayMonthYear) {
  // On a month-day-year system the file's 3/8/1994 (3 August) becomes 8/3/1994.
  const auto result = read("SEX\tSURVDATE\tWEIGHT\r\nm\t3/8/1994\t12.5\r\n", kMdySlash);
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.cell(StdVar::survdate, 1), "8/3/1994");
  EXPECT_EQ(t.cell(StdVar::sex, 1), "m");
  EXPECT_EQ(t.cell(StdVar::weight, 1), "12.5");
  EXPECT_EQ(result.first_survey_date, "8/3/1994");
  ASSERT_EQ(result.warnings.size(), 1u) << "a missing date order is never silent";
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::no_date_order);
}

TEST(SurveyFileRead, AByteOrderMarkBeforeTheDateOrderIsSkipped) {
  // Saved as UTF-8 by an editor: without skipping the mark, mdy would be lost and the day and
  // month of every date swapped.
  const auto result = read("\xEF\xBB\xBFmdy\r\nSURVDATE\tSEX\r\n12/31/2005\tf\r\n");
  EXPECT_EQ(result.workspace.survey.cell(StdVar::survdate, 1), "31.12.2005");
  EXPECT_TRUE(result.warnings.empty());
}

TEST(SurveyFileRead, OrderLineNamesTheDateOrderOfTheFile) {
  const auto result = read("mdy\r\nSURVDATE\tBIRTHDAT\tSEX\r\n12/31/2005\t01/02/2003\tf\r\n");
  EXPECT_EQ(result.workspace.survey.cell(StdVar::survdate, 1), "31.12.2005");
  EXPECT_EQ(result.workspace.survey.cell(StdVar::birthdat, 1), "2.1.2003");
}

TEST(SurveyFileRead, StandardNamesLandInTheirColumnsInAnyCase) {
  const auto result = read("Sex\tWeight\tHeight\tAge\r\nf\t9.1\t74.2\t14\r\n");
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.cell(6, 1), "f");
  EXPECT_EQ(t.cell(9, 1), "9.1");
  EXPECT_EQ(t.cell(10, 1), "74.2");
  EXPECT_EQ(t.cell(20, 0), "AGE");
  EXPECT_EQ(t.cell(20, 1), "14");
  EXPECT_EQ(t.cell(1, 0), "SURVDATE");  // absent standard variables keep their place, empty
  EXPECT_EQ(t.cell(StdVar::survdate, 1), "");
  // 20 variables: the table has 10 columns more.
  EXPECT_EQ(t.column_count(), 30);
  EXPECT_EQ(t.cell(0, 1), "1");
}

TEST(SurveyFileRead, DataEndsAtAnEmptyLineOrAMarker) {
  const struct {
    const char* what;
    const char* bytes;
    int children;
  } cases[] = {
      {"empty line", "SEX\r\nm\r\nf\r\n\r\nm\r\n", 2},
      {"marker line", "SEX\r\nm\r\n\xA5Results:\r\n90\t\r\n", 1},
      {"end of file without line end", "SEX\r\nm\r\nf", 2},
      {"line feeds only", "SEX\nm\nf\nm\n", 3},
      {"header only", "SEX\r\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SurveyTable& t = read(c.bytes).workspace.survey;
    int children = 0;
    for (int row = 1; row < t.row_count(); ++row)
      children += t.cell(StdVar::sex, row).empty() ? 0 : 1;
    EXPECT_EQ(children, c.children);
    EXPECT_EQ(t.row_count(), 100 + c.children);  // the table grows by one row per data line
  }
}

// What the reader leaves unread of the children's block is said, never dropped in silence.
TEST(SurveyFileRead, UnreadPartsOfTheChildrensBlockAreWarnedAbout) {
  using Kind = SurveyReadWarning::Kind;
  const struct {
    const char* what;
    const char* bytes;
    Kind kind;
    int count;
    const char* message;
  } cases[] = {
      {"values after the last header field", "dmy\r\nSEX\tWEIGHT\r\nm\t7\t\t\r\nf\t8\tx\ty\r\n",
       Kind::fields_beyond_header, 1, "(the first is line 4)"},
      {"children after an empty line",
       "dmy\r\nSEX\r\nm\r\n\r\nf\r\n\t\t\r\nm\r\n\xA5Planning:\r\nname\t\r\n",
       Kind::lines_after_blank, 2, "lines after the empty line 4 (the first is line 5)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = read(c.bytes);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].kind, c.kind);
    EXPECT_EQ(result.warnings[0].count, c.count);
    EXPECT_THAT(result.warnings[0].message, HasSubstr(c.message));
  }
  // Empty trailing fields, empty lines before a section and a file's last empty line lose
  // nothing.
  for (const char* quiet :
       {"dmy\r\nSEX\tWEIGHT\r\nm\t7\t\t\r\n",
        "dmy\r\nSEX\r\nm\r\n\r\n\r\n\xA5Planning:\r\nname\t\r\n", "dmy\r\nSEX\r\nm\r\n\r\n"}) {
    EXPECT_TRUE(read(quiet).warnings.empty()) << quiet;
  }
}

// A cell holding a section marker, written before such text was guarded, is data of the
// children's block: it must not open a section and cut the one the file really has.
TEST(SurveyFileRead, ASectionNameInsideTheChildrensBlockIsData) {
  const auto result = read(
      "dmy\r\nSEX\tNOTE\r\nm\t\xA5Mor_individual:\r\nf\tx\r\n"
      "\xA5Mor_individual:\r\nDATE\tCLUSTER\r\n01.02.2026\t4\r\n01.02.2026\t5\r\n");
  const Workspace& w = result.workspace;
  EXPECT_EQ(w.survey.cell(20, 1), "\xA5Mor_individual:");
  EXPECT_EQ(w.survey.cell(StdVar::sex, 2), "f");
  EXPECT_EQ(w.mortality_individuals.cell(2, 0), "CLUSTER");
  EXPECT_EQ(w.mortality_individuals.cell(2, 2), "5");
}

TEST(SurveyFileRead, HouseholdLinesBeyondTheTableAreCounted) {
  std::string bytes = "dmy\r\nSEX\r\nm\r\n\xA5Mortality_new:\r\n";
  for (int k = 1; k <= 65'532 + 3; ++k) bytes += std::to_string(k) + "\t1\t\r\n";
  const auto result = read(bytes);
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::mortality_rows_cut);
  EXPECT_EQ(result.warnings[0].count, 3);
  EXPECT_EQ(result.workspace.mortality_households.cell(1, 65'533), "65532");
}

// A header of one name repeated a million times: the columns beyond the table are cut at once,
// without looking for ever longer "_" names.
TEST(SurveyFileRead, AMillionRepeatedNamesAreCutLikeAnyColumnBeyondTheTable) {
  std::string bytes = "dmy\r\nSEX";
  for (int k = 0; k < 1'000'000; ++k) bytes += "\tA";
  bytes += "\r\nm\r\n";
  const auto result = read(bytes);
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.cell(20, 0), "_A");
  EXPECT_EQ(t.last_named_column(), 255);
  ASSERT_FALSE(result.warnings.empty());
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::columns_cut);
}

TEST(SurveyFileRead, DecimalsAreNormalisedFromColumnMonthsOn) {
  const char* file = "CLUSTER\tMONTHS\tWEIGHT\tX\r\n1,5\t12,25\t8.5\t3,5\r\n";
  const struct {
    const char* what;
    DateConventions system;
    const char* cluster;
    const char* months;
    const char* weight;
    const char* user;
  } cases[] = {
      {"point system", kDmyPoint, "1,5", "12.25", "8.5", "3.5"},
      {"comma system", kDmyComma, "1,5", "12,25", "8,5", "3,5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SurveyTable& t = read(file, c.system).workspace.survey;
    EXPECT_EQ(t.cell(StdVar::cluster, 1), c.cluster);  // before MONTHS: as stored
    EXPECT_EQ(t.cell(StdVar::months, 1), c.months);
    EXPECT_EQ(t.cell(StdVar::weight, 1), c.weight);
    EXPECT_EQ(t.cell(20, 1), c.user);
  }
}

TEST(SurveyFileRead, FileWithoutHeaderIsRefused) {
  EXPECT_THAT([] { read("dmy\r\n1\t2\t3\r\n\xA5Results:\r\n"); },
              ::testing::ThrowsMessage<SurveyFileError>(HasSubstr("WEIGHT, HEIGHT or SEX")));
  try {
    read("");
    FAIL() << "an empty file has no header";
  } catch (const SurveyFileError& e) {
    EXPECT_EQ(e.kind(), SurveyFileError::Kind::no_header);
    EXPECT_EQ(e.file(), "test.as");
  }
}

TEST(SurveyFileRead, MissingFileIsACannotOpenError) {
  try {
    DateiLesen("/nonexistent/folder/survey.as", Workspace{}, SurveyReadContext{});
    FAIL();
  } catch (const SurveyFileError& e) {
    EXPECT_EQ(e.kind(), SurveyFileError::Kind::cannot_open);
    EXPECT_THAT(e.what(), HasSubstr("survey.as"));
  }
}

TEST(SurveyFileRead, EveryRowIsEvaluatedInTheNewWorkspace) {
  SurveyReadContext context;
  context.dates = kDmyPoint;
  std::vector<int> rows;
  context.evaluate_row = [&](Workspace& workspace, int row) {
    rows.push_back(row);
    // The evaluation sees the row as read and may rewrite it.
    EXPECT_FALSE(workspace.survey.cell(StdVar::sex, row).empty());
    workspace.survey.set_cell(StdVar::waz, row, "-1.000");
  };
  const auto result = read_survey_bytes("SEX\r\nm\r\nf\r\nM\r\n", "a.as", Workspace{}, context);
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(result.workspace.survey.cell(StdVar::waz, 3), "-1.000");
}

TEST(SurveyFileRead, RepeatedNamesKeepBothColumns) {
  // The later WEIGHT stays WEIGHT; the earlier one is kept as _WEIGHT instead of being lost.
  const auto result = read("dmy\r\nSEX\tWEIGHT\tA\tWEIGHT\tA\r\nm\t1\t2\t3\t4\r\n");
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.cell(StdVar::weight, 1), "3");
  EXPECT_EQ(t.cell(t.column_of_header("_WEIGHT"), 1), "1");
  EXPECT_EQ(t.cell(t.column_of_header("A"), 1), "4");
  EXPECT_EQ(t.cell(t.column_of_header("_A"), 1), "2");
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::repeated_header);
  EXPECT_EQ(result.warnings[0].count, 2);
}

TEST(SurveyFileRead, ValuesUnderAnEmptyHeaderAreReported) {
  const auto quiet = read("dmy\r\nSEX\t\tWEIGHT\t\r\nm\t\t9\t\r\n");
  EXPECT_TRUE(quiet.warnings.empty());
  const auto loud = read("dmy\r\nSEX\t\tWEIGHT\r\nm\tx\t9\r\n");
  ASSERT_EQ(loud.warnings.size(), 1u);
  EXPECT_EQ(loud.warnings[0].kind, SurveyReadWarning::Kind::unnamed_column);
  EXPECT_EQ(loud.workspace.survey.cell(StdVar::weight, 1), "9");
}

TEST(SurveyFileRead, ReadsExactly255VariablesAndReportsTheRest) {
  std::string header = "dmy\r\nSEX";
  std::string data = "m";
  for (int k = 1; k <= 240; ++k) {  // 19 standard + 240 user variables = 259
    header += "\tV" + std::to_string(k);
    data += "\t" + std::to_string(k);
  }
  const auto result = read(header + "\r\n" + data + "\r\n");
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.column_count(), 256);
  EXPECT_EQ(t.cell(255, 0), "V236");  // columns 20 to 255 hold V1 to V236
  EXPECT_EQ(t.cell(255, 1), "236");
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::columns_cut);
  EXPECT_EQ(result.warnings[0].count, 4);
  EXPECT_THAT(result.warnings[0].detail, HasSubstr("V237"));
  // A save keeps all 255 variables, the last one included.
  const std::string saved = survey_file_bytes(result.workspace, kDmyPoint);
  EXPECT_THAT(saved.substr(0, saved.find("\r\n", 5)), ::testing::EndsWith("\tV236\t"));
}

TEST(SurveyFileRead, ReadsWhatFitsOfTooManyRowsAndCountsTheRest) {
  std::string bytes = "dmy\r\nSEX\r\n";
  const int lines = 65'534 + 7;
  bytes.reserve(static_cast<std::size_t>(lines) * 3 + 10);
  for (int i = 0; i < lines; ++i) bytes += "f\r\n";
  const auto result = read(bytes);
  const SurveyTable& t = result.workspace.survey;
  EXPECT_EQ(t.row_count(), 65'535);
  EXPECT_EQ(t.cell(StdVar::sex, 65'534), "f");
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(result.warnings[0].kind, SurveyReadWarning::Kind::rows_cut);
  EXPECT_EQ(result.warnings[0].count, 7);
}

TEST(SurveyFileRead, SurvivesDamagedAndHostileFiles) {
  const std::string rich = slurp(test::source_path("tests/fixtures/survey_file/rich.as"));
  ASSERT_GT(rich.size(), 20'000u);
  std::string garbage(50'000, '\0');
  std::uint32_t state = 12345;  // a fixed linear congruential sequence
  for (char& c : garbage) {
    state = state * 1'103'515'245u + 12'345u;
    c = static_cast<char>(state >> 24);
  }
  const std::string megabyte_of_tabs(1 << 20, '\t');
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"cut inside the data", rich.substr(0, 2'000)},
      {"cut inside the training section", rich.substr(0, 9'000)},
      {"cut inside individual mortality", rich.substr(0, rich.find("\xA5Mor_individual_options"))},
      {"cut one byte short", rich.substr(0, rich.size() - 1)},
      {"binary garbage", garbage},
      {"binary garbage after a header", "SEX\tWEIGHT\r\n" + garbage},
      {"megabyte header", "SEX" + megabyte_of_tabs + "WEIGHT\r\nm" + megabyte_of_tabs + "9\r\n"},
      {"megabyte mortality line",
       "SEX\r\n\xA5Mor_individual:\r\nh\r\n" + megabyte_of_tabs + "x\r\n"},
      {"megabyte option line", "SEX\r\n\xA5Options\r\n" + megabyte_of_tabs + "\r\n"},
      {"NUL bytes everywhere", "SEX\0\tWEIGHT\r\n\0\t\0\r\n\xA5\0Planning:\r\n\0"s},
      {"carriage returns only", "SEX\rWEIGHT\rm\r\r\r"},
      {"markers without content",
       "SEX\n\xA5Planning:\n\xA5Training_new:\n\xA5Mortality_new:\n"
       "\xA5Mor_individual:\n\xA5Options\n\xA5Variables\n\xA5Results:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      const auto result = read(c.bytes);
      const std::string written = survey_file_bytes(result.workspace, kDmyPoint);
      EXPECT_FALSE(written.empty());
    } catch (const SurveyFileError& e) {
      EXPECT_EQ(e.kind(), SurveyFileError::Kind::no_header);
    }
  }
  // The megabyte-wide mortality line is cut to the widest table and reported.
  const auto wide = read("dmy\r\n" + cases[7].bytes);
  ASSERT_EQ(wide.warnings.size(), 1u);
  EXPECT_EQ(wide.warnings[0].kind, SurveyReadWarning::Kind::mortality_columns_cut);
}

// --- Sections -----------------------------------------------------------------------------------

TEST(SurveyFileRead, OlderTrainingAndMortalityLayouts) {
  std::string training_line;
  for (int j = 0; j < 80; ++j) training_line += std::to_string(j) + "\t";
  std::string muac_line;
  for (int j = 0; j < 40; ++j) muac_line += std::to_string(100 + j) + "\t";
  const std::string file = "SEX\r\nm\r\n\xA5Training:\r\n" + training_line +
                           "\r\n1,5\t2\r\nMUAC\r\n" + muac_line +
                           "\r\n\xA5Mortality:\r\n4\t1\t0\r\n5\t0\t1\r\n";
  const Workspace w = read(file).workspace;
  const TextGrid& training = w.training_continuous;
  // Group g of four fills columns 6g+1 to 6g+4; the MUAC pairs fill 6g+5 and 6g+6.
  EXPECT_EQ(training.cell(1, 2), "0");
  EXPECT_EQ(training.cell(4, 2), "3");
  EXPECT_EQ(training.cell(7, 2), "4");
  EXPECT_EQ(training.cell(118, 2), "79");
  EXPECT_EQ(training.cell(1, 3), "1.5");
  EXPECT_EQ(training.cell(5, 2), "100");
  EXPECT_EQ(training.cell(6, 2), "101");
  EXPECT_EQ(training.cell(11, 2), "102");
  EXPECT_EQ(training.cell(120, 2), "139");
  // Ten fields per household line in columns 2 to 11; column 1 the running number.
  const TextGrid& households = w.mortality_households;
  EXPECT_EQ(households.cell(1, 2), "1");
  EXPECT_EQ(households.cell(2, 2), "4");
  EXPECT_EQ(households.cell(1, 3), "2");
  EXPECT_EQ(households.cell(3, 3), "0");
}

TEST(SurveyFileRead, LongerSectionNamesAreNotTakenForShorterOnes) {
  // Without "Training" and "Mor_individual" sections, their longer cousins must not be read
  // as them.
  const Workspace w =
      read(
          "SEX\r\nm\r\n\xA5Training_categorical:\r\n1\t2\t\r\n\xA5Mor_individual_options:\r\n"
          "Fever\t\r\n")
          .workspace;
  EXPECT_EQ(w.training_continuous.cell(1, 2), "");
  EXPECT_EQ(w.training_categorical.cell(2, 2), "2");
  EXPECT_EQ(w.mortality_individuals.cell(1, 0), "");
  EXPECT_EQ(w.mortality_options.cde1, "Fever");
}

TEST(SurveyFileRead, PlanningFieldsAreSetOnlyWhenPresent) {
  Workspace start;
  start.planning.sc_e = "keep";
  start.planning.sm_f = "keep too";
  const Workspace w = read(
                          "SEX\r\n\xA5Planning:"
                          "\r\nName\t\r\nRandom\t\r\n\r\n1\t\r\n2\t\r\n3\t\r\n4\t\r\n5\t\r\n6\t\r\n"
                          "7\t8\t\r\n9\t\r\nA\t10\t1\t\r\nB\t20\r\n",
                          kDmyPoint, start)
                          .workspace;
  EXPECT_EQ(w.planning.survey_name, "Name");
  EXPECT_FALSE(w.planning.cluster_sampling);
  EXPECT_EQ(w.planning.sc_d, "3");
  EXPECT_EQ(w.planning.sc_e, "keep");
  EXPECT_EQ(w.planning.sm_d, "7");
  EXPECT_EQ(w.planning.sm_e, "8");
  EXPECT_EQ(w.planning.sm_f, "keep too");
  EXPECT_EQ(w.planning.Edit19, "9");
  EXPECT_EQ(w.planning.cluster_table.cell(0, 2), "B");
  EXPECT_EQ(w.planning.cluster_table.cell(1, 2), "20");
}

TEST(SurveyFileRead, OptionsSwitchOnButNeverOff) {
  const std::string options =
      "SEX\r\n\xA5Options\r\nno\t\r\nyes\t\r\nno\t\r\nno\t\r\nno\t\r\nbirthdate\t\r\n0,1,2,3\t\r\n"
      "-2\t\r\n4\t5\t6\t\r\n7\t1\t\r\n60\t\r\n100\t\r\n20\t\r\n35\tx\t\r\n44\t\r\n55\t\r\n";
  Workspace start;
  start.options.autofill_id = true;
  start.options.autofill_hh = false;
  start.options.age_by_months = true;
  start.options.oedema_yn = true;
  const OptionsPage o = read(options, kDmyPoint, start).workspace.options;
  EXPECT_TRUE(o.autofill_id);  // "no" leaves it on
  EXPECT_TRUE(o.autofill_hh);  // "yes" switches it on
  EXPECT_TRUE(o.age_by_months);
  EXPECT_TRUE(o.oedema_yn);
  EXPECT_EQ(o.flags.whz_ol, "-2");
  EXPECT_EQ(o.flags.haz_ol, "-3");  // absent field: unchanged
  EXPECT_EQ(o.flags.waz_oh, "6");
  EXPECT_EQ(o.Edit2, "7");
  EXPECT_EQ(o.ma01, "1");
  EXPECT_EQ(o.Edit11, "60");
  EXPECT_EQ(o.ma03, "5");  // absent mortality bound: unchanged
  EXPECT_EQ(o.Edit26, "100");
  EXPECT_EQ(o.ma09, "x");
  // Ends of groups 1 to 4: the next group's start minus 1.
  EXPECT_EQ(o.Edit3, "19");
  EXPECT_EQ(o.Edit5, "34");
  EXPECT_EQ(o.Edit7, "43");
  EXPECT_EQ(o.Edit9, "54");
}

TEST(SurveyFileRead, KanduWindowComesFromTheFileOrItsDefaults) {
  // The survey open before had a narrow window; the next file must not inherit it.
  Workspace start;
  start.options.flags.whz_ol = "-1";
  start.options.flags.waz_oh = "1.5";
  start.options.flags.whz_l = "-4";  // an Epi Info range: the user's edit stays
  const OptionsPage without = read("SEX\r\n1\r\n", kDmyPoint, start).workspace.options;
  EXPECT_EQ(without.flags.whz_ol, "-3");
  EXPECT_EQ(without.flags.waz_oh, "3");
  EXPECT_EQ(without.flags.whz_l, "-4");
  const std::string with_window =
      "SEX\r\n\xA5Options\r\nno\t\r\nno\t\r\nno\t\r\nno\t\r\nno\t\r\nbirthdate\t\r\n"
      "0,1,2,3\t\r\n-2.5\t-2.5\t-2.5\t\r\n2.5\t2.5\t2.5\t\r\n";
  const OptionsPage with = read(with_window, kDmyPoint, start).workspace.options;
  EXPECT_EQ(with.flags.whz_ol, "-2.5");
  EXPECT_EQ(with.flags.waz_oh, "2.5");
}

TEST(SurveyFileRead, IndividualMortalityDatesAndAdditionalVariables) {
  std::string header;
  for (int c = 1; c <= 166; ++c)
    header += (c == 165 ? "WATER" : c == 166 ? "FUEL" : "h") + std::string(c < 166 ? "\t" : "");
  const Workspace w =
      read("SEX\r\n\xA5Mor_individual:\r\n" + header + "\r\n12/31/2005\t3\r\n\t\r\n",
           DateConventions{DateOrder::mdy, '/', '.'}, {})
          .workspace;
  // The file has no order line: its dates are day-month-year.
  const Workspace dmy_file =
      read("dmy\r\nSEX\r\n\xA5Mor_individual:\r\nDate\r\n3.8.1994\t7\r\n", kMdySlash).workspace;
  EXPECT_EQ(dmy_file.mortality_individuals.cell(1, 1), "8/3/1994");
  EXPECT_EQ(dmy_file.mortality_individuals.cell(0, 1), "1");
  EXPECT_EQ(w.mortality_additional_variables, (std::vector<std::string>{"WATER", "FUEL"}));
  EXPECT_GE(w.mortality_individuals.column_count(), 167 + 5);
}

TEST(SurveyFileRead, VariableViewRowsUntilAnEmptyLine) {
  const Workspace w = read(
                          "SEX\r\n\xA5Variables\r\nSURVDATE\tdate\t\t\t\t\t\t\t\t\t\t\r\nAGE\tnumer"
                          "ic\ta\tb\t0\t99\t\t\t\t\tz\t\r\n"
                          "\r\nLOST\tnumeric\r\n")
                          .workspace;
  EXPECT_EQ(w.variables.cell(0, 1), "SURVDATE");
  EXPECT_EQ(w.variables.cell(5, 2), "99");
  EXPECT_EQ(w.variables.cell(10, 2), "z");  // kept, so that a save writes it back
  // Rows the file does not list keep the new-table defaults; nothing after the empty line is read.
  EXPECT_EQ(w.variables.cell(0, 3), "TEAM");
  for (int row = 0; row < w.variables.row_count(); ++row) EXPECT_NE(w.variables.cell(0, row), "LOST");
}

// --- Writing ------------------------------------------------------------------------------------

TEST(SurveyFileWrite, RoundTripOfARichSurveyKeepsEveryByte) {
  const std::string original = slurp(test::source_path("tests/fixtures/survey_file/rich.as"));
  ASSERT_FALSE(original.empty());
  // The file's auto-fill "no" lines can only be kept by a window whose switches are off.
  Workspace start;
  start.options.autofill_id = start.options.autofill_hh = start.options.autofill_cluster =
      start.options.autofill_team = start.options.autofill_survdate = false;
  start.options.oedema_yn = false;
  const auto result = read(original, kDmyPoint, start);
  EXPECT_TRUE(result.warnings.empty());
  const Workspace& w = result.workspace;
  EXPECT_EQ(w.survey.cell(StdVar::sex, 30).empty(), false);
  EXPECT_EQ(w.survey.cell(21, 12), "absent mother");
  EXPECT_EQ(w.planning.cluster_table.cell(0, 7), "Village G");
  EXPECT_EQ(w.mortality_options.lde4, "Other place");
  EXPECT_EQ(w.rd_hh, "92");
  EXPECT_EQ(w.mortality_additional_variables, (std::vector<std::string>{"WATER", "SHELTER"}));
  EXPECT_EQ(survey_file_bytes(w, kDmyPoint), original);
}

TEST(SurveyFileWrite, HandMadeFilesComeBackAsWrittenAfterOneSave) {
  // Files from elsewhere change on their first save (layout, spare columns, all sections);
  // from then on a read and a save keep every byte.
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"header and data only, line feeds", "Sex\tWeight\tAge\nm\t12,5\t30\nf\t9\t12\n"},
      {"sections without data", "mdy\r\nSEX\r\n\xA5Results:\r\n30\r\n\xA5Options\r\nyes\r\n"},
      {"older layouts",
       "SEX\r\nm\r\n\xA5Training:\r\n1\t2\t3\t4\r\nMUAC\r\n5\t6\r\n"
       "\xA5Mortality:\r\n1\t2\r\n"},
      {"individual mortality with gaps",
       "SEX\r\n\xA5Mor_individual:\r\nDate\tC\r\n\r\n"
       "1.2.2005\t\t\t4\r\n\xA5Variables\r\nSEX\tcharacter\r\n"},
      {"NUL bytes and Windows-1252 text", "SEX\tNOTE\r\nf\tca\xF1on\0x\r\n"s},
      {"a Variable View line without a name", "Sex\n\xA5Variables\n\t"},
      {"a nameless Variable View line before named ones",
       "Sex\n\xA5Variables\nSEX\tcharacter\n\tnumeric\nAGE\tnumeric\n"},
      {"a byte order mark and dates that are no dates",
       "\xEF\xBB\xBFmdy\r\nSEX\tSURVDATE\r\nm\tunknown\r\nf\t2020-03-02\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string first = survey_file_bytes(read(c.bytes).workspace, kDmyPoint);
    EXPECT_EQ(survey_file_bytes(read(first).workspace, kDmyPoint), first);
  }
}

TEST(SurveyFileWrite, LayoutOfANewSurvey) {
  Workspace w;
  // The narrowest table (no spare columns after WTFACTOR) and an empty Variable View keep the
  // expected bytes short; the layout rules are the same for any shape.
  w.survey.resize(kFirstUserColumn, w.survey.row_count());
  w.variables = TextGrid(6, 255);
  w.survey.set_cell(StdVar::survdate, 1, "11.03.2006");
  w.survey.set_cell(StdVar::cluster, 1, "1");
  w.survey.set_cell(StdVar::weight, 1, "12,5");
  w.survey.set_cell(StdVar::survdate, 2, "11.03.2006");  // dates only: not written
  w.survey.set_cell(StdVar::birthdat, 2, "01.01.2004");
  w.mortality_households.set_cell(2, 3, "7");  // rows 2 and 3 written
  w.variables.set_cell(0, 1, "SURVDATE");
  w.variables.set_cell(1, 1, "date");
  const std::string bytes = survey_file_bytes(w, kDmyPoint);
  const std::string expected_start =
      "dmy\r\nSURVDATE\tCLUSTER\tTEAM\tID\tHH\tSEX\tBIRTHDAT\tMONTHS\tWEIGHT\tHEIGHT\tEDEMA\tMUAC\t"
      "WAZ\tHAZ\tWHZ\tMEASURE\tCLOTHES\tSTRATA\tWTFACTOR\t\r\n"
      "11.03.2006\t1\t\t\t\t\t\t\t12.5\t\t\t\t\t\t\t\t\t\t\t\r\n"
      "\xA5Planning:\r\n\t\r\nCluster\t\r\n\r\n20\t\r\n5\t\r\n1.5\t5\t15\t3\t\r\n0.5\t\r\n0.3\t\r\n"
      "1.5\t\r\n93\t5\t3\t\r\n30\t\r\n\xA5Training_new:\r\n";
  EXPECT_EQ(bytes.substr(0, expected_start.size()), expected_start);
  const std::string expected_end =
      "\xA5Mortality_new:\r\n\t\t\t\t\t\t\t\t\t\t\t\r\n\t7\t\t\t\t\t\t\t\t\t\t\r\n"
      "\xA5Mor_individual:\r\n\t\r\n\t\r\n\t\r\n\t\r\n"
      "\xA5Mor_individual_options:\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n\t\r\n"
      "\t\r\n\xA5Results:\r\n\t\r\n\xA5Options\r\nyes\t\r\nyes\t\r\nyes\t\r\nyes\t\r\nyes\t\r\n"
      "birthdate\t\r\ny/n\t\r\n-3\t-3\t-3\t\r\n3\t3\t3\t\r\n6\t0\t\r\n59\t5\t\r\n0\t12\t\r\n"
      "18\t18\t\r\n30\t50\t\r\n42\t65\t\r\n54\t120\t\r\n\xA5Variables\r\n"
      "SURVDATE\tdate\t\t\t\t\t\t\t\t\t\t\r\n";
  ASSERT_GE(bytes.size(), expected_end.size());
  EXPECT_EQ(bytes.substr(bytes.size() - expected_end.size()), expected_end);
  // 100 training lines of 126 fields and 100 of 21.
  EXPECT_NE(bytes.find("\xA5Training_new:\r\n" + std::string(126, '\t') + "\r\n"),
            std::string::npos);
}

// A row is kept when anything but its dates is filled: a row of user variables or z-scores
// only is a record; a row of dates only is what the auto-fill of SURVDATE leaves.
TEST(SurveyFileWrite, RowsWithAnythingButDatesAreWritten) {
  Workspace w;
  w.survey.set_cell(20, 0, "NOTE");
  w.survey.set_cell(StdVar::sex, 1, "m");
  w.survey.set_cell(20, 2, "note only");
  w.survey.set_cell(StdVar::whz, 3, "-1.000");
  w.survey.set_cell(StdVar::survdate, 4, "11.03.2006");
  w.survey.set_cell(StdVar::birthdat, 4, "01.01.2004");
  EXPECT_EQ(written_row_count(w.survey), 3);
  const SurveyTable back = read(survey_file_bytes(w, kDmyPoint)).workspace.survey;
  EXPECT_EQ(back.cell(20, 2), "note only");
  EXPECT_EQ(back.cell(StdVar::whz, 3), "-1.000");
  EXPECT_EQ(back.cell(StdVar::survdate, 4), "");
}

// Text the file cannot hold is written holdable, and a save changes it in the survey too and
// counts it, so that the survey in memory is the one on disk.
TEST(SurveyFileSave, TextTheFileCannotHoldIsSavedHoldableAndCounted) {
  TempFolder folder;
  ScriptedPrompter prompter;
  const LanguageTable text = save_texts();
  bool filter = false;
  const SaveContext context{kDmyPoint, text, prompter, filter};
  Workspace w;
  w.file_name = (folder / "notes.as").string();
  w.survey.set_cell(20, 0, "NOTE");
  w.survey.set_cell(StdVar::sex, 1, "m");
  w.survey.set_cell(20, 1, "\xA5Mor_individual:");
  w.survey.set_cell(StdVar::sex, 2, "f");
  w.survey.set_cell(20, 2, "l1\r\nl2\tx");
  w.mortality_individuals.set_cell(2, 1, "4");
  w.mortality_individuals.set_cell(2, 2, "5");
  EXPECT_EQ(SaveClick(w, context).texts_made_holdable, 2);
  EXPECT_EQ(prompter.messages.size(), 1u) << "the user is told";
  EXPECT_EQ(w.survey.cell(20, 2), "l1 l2 x");
  const auto back =
      DateiLesen(folder / "notes.as", Workspace{}, SurveyReadContext{kDmyPoint, {}, {}});
  EXPECT_EQ(back.workspace.survey.cell(20, 1), "YMor_individual:");
  EXPECT_EQ(back.workspace.survey.cell(20, 2), "l1 l2 x");
  EXPECT_EQ(back.workspace.survey.cell(StdVar::sex, 2), "f");
  EXPECT_EQ(back.workspace.mortality_individuals.cell(2, 2), "5");
  EXPECT_EQ(SaveClick(w, context).texts_made_holdable, 0);
}

TEST(SurveyFileWrite, UnknownSystemOrderWritesAnEmptyFirstLine) {
  const std::string bytes =
      survey_file_bytes(Workspace{}, DateConventions{DateOrder::unknown, '.', '.'});
  EXPECT_EQ(bytes.substr(0, 10), "\r\nSURVDATE");
}

TEST(SurveyFileWrite, RepeatedHeadersGetUnderscores) {
  SurveyTable t;
  t.resize(25, 100);
  t.set_cell(20, 0, "AGE");
  t.set_cell(21, 0, "AGE");
  t.set_cell(22, 0, "_AGE");
  t.set_cell(23, 0, "SEX");
  const auto headers = unique_headers(t, 24);
  EXPECT_EQ(headers[20], "AGE");
  EXPECT_EQ(headers[21], "_AGE");
  EXPECT_EQ(headers[22], "__AGE");
  EXPECT_EQ(headers[23], "_SEX");
  EXPECT_EQ(headers[24], "");  // empty names stay empty
}

// --- Saving to disk -----------------------------------------------------------------------------

TEST(SurveyFileSave, SecondSaveKeepsTheFirstAsBackup) {
  TempFolder folder;
  ScriptedPrompter prompter;
  const LanguageTable text = save_texts();
  bool filter = false;
  const SaveContext context{kDmyPoint, text, prompter, filter};
  Workspace w;
  w.file_name = (folder / "kara.as").string();
  w.survey.set_cell(StdVar::sex, 1, "m");
  w.changed = true;
  const SaveOutcome first = SaveClick(w, context);
  EXPECT_TRUE(first.saved);
  EXPECT_TRUE(first.add_to_recent_files);
  EXPECT_FALSE(w.changed);
  const std::string first_bytes = slurp(folder / "kara.as");
  w.survey.set_cell(StdVar::sex, 2, "f");
  SaveClick(w, context);
  EXPECT_EQ(slurp(folder / "kara.bak"), first_bytes);
  EXPECT_NE(slurp(folder / "kara.as"), first_bytes);
  EXPECT_FALSE(fs::exists(folder / "kara.as.tmp"));
  EXPECT_TRUE(prompter.messages.empty());
  // Reading the saved file gives the survey back.
  const auto back =
      DateiLesen(folder / "kara.as", Workspace{}, SurveyReadContext{kDmyPoint, {}, {}});
  EXPECT_EQ(back.workspace.survey.cell(StdVar::sex, 2), "f");
  EXPECT_FALSE(back.workspace.changed);
}

TEST(SurveyFileSave, SaveKeepsSpareRowsAfterTheLastChild) {
  TempFolder folder;
  ScriptedPrompter prompter;
  const LanguageTable text = save_texts();
  bool filter = false;
  Workspace w;
  w.file_name = (folder / "a.as").string();
  w.survey.set_cell(StdVar::id, 95, "95");
  SaveClick(w, {kDmyPoint, text, prompter, filter});
  EXPECT_EQ(w.survey.row_count(), 200);
  EXPECT_EQ(w.survey.cell(0, 199), "199");
}

TEST(SurveyFileSave, FailedSaveThrowsAndKeepsTheOldFile) {
  TempFolder folder;
  ScriptedPrompter prompter;
  const LanguageTable text = save_texts();
  bool filter = false;
  const SaveContext context{kDmyPoint, text, prompter, filter};
  Workspace w;
  w.survey.set_cell(StdVar::sex, 1, "m");
  w.changed = true;

  w.file_name = (folder / "missing_folder" / "a.as").string();
  EXPECT_THAT([&] { SaveClick(w, context); },
              ::testing::ThrowsMessage<SurveyFileError>(HasSubstr("a.as")));
  EXPECT_TRUE(w.changed);

  // A file name that is a folder: the new file cannot be renamed into place.
  fs::create_directories(folder / "taken.as");
  w.file_name = (folder / "taken.as").string();
  try {
    SaveClick(w, context);
    FAIL() << "a folder cannot be replaced by the survey";
  } catch (const SurveyFileError& e) {
    EXPECT_EQ(e.kind(), SurveyFileError::Kind::cannot_write);
    EXPECT_EQ(e.file(), w.file_name);
  }
  EXPECT_TRUE(w.changed);
  EXPECT_TRUE(fs::is_directory(folder / "taken.as"));
  EXPECT_FALSE(fs::exists(folder / "taken.as.tmp"));
}

TEST(SurveyFileSave, AFailedWriteKeepsTheOldFileAndItsBackup) {
  // The platform's test hook fails writes past 100 bytes as a full disk does.
  TempFolder folder;
  put(folder / "s.as", "old survey");
  put(folder / "s.bak", "older survey");
  ::setenv("OLVAR_TEST_WRITE_LIMIT", "100", 1);
  EXPECT_THAT([&] { write_file_with_backup(folder / "s.as", std::string(1 << 16, 'x')); },
              ::testing::ThrowsMessage<SurveyFileError>(::testing::AllOf(
                  HasSubstr((folder / "s.as").string()), HasSubstr("No space left on device"))));
  ::unsetenv("OLVAR_TEST_WRITE_LIMIT");
  EXPECT_EQ(slurp(folder / "s.as"), "old survey");
  EXPECT_EQ(slurp(folder / "s.bak"), "older survey");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
      << "the temporary file is removed";
}

TEST(SurveyFileSave, ABackupThatIsTheInputIsLeftAlone) {
  TempFolder folder;
  put(folder / "s.as", "current");
  put(folder / "s.bak", "the input");
  EXPECT_EQ(write_file_with_backup(folder / "s.as", "converted", {folder / "s.bak"}),
            platform::BackupResult::backup_is_input);
  EXPECT_EQ(slurp(folder / "s.as"), "converted");
  EXPECT_EQ(slurp(folder / "s.bak"), "the input");
  EXPECT_EQ(write_file_with_backup(folder / "s.as", "again"), platform::BackupResult::kept);
  EXPECT_EQ(slurp(folder / "s.bak"), "converted");
}

TEST(SurveyFileSave, FilterOrNoNameGoesThroughSaveAs) {
  TempFolder folder;
  const LanguageTable text = save_texts();
  const struct {
    const char* what;
    const char* file_name;
    bool filter;
    const char* answer;  // nullptr: the dialog is cancelled
    std::vector<std::string> messages;
    const char* saved_as;
  } cases[] = {
      {"no name yet", "", false, "new", {"choose a name"}, "new.as"},
      {"filter active",
       "kept.as",
       true,
       "filtered.as",
       {"filter active", "choose a name"},
       "filtered.as"},
      {"imported text file", "import.txt", false, "import", {"choose a name"}, "import.as"},
      {"dialog cancelled", "", false, nullptr, {"choose a name"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedPrompter prompter;
    if (c.answer != nullptr) prompter.file_answer = (folder / c.answer).string();
    bool filter = c.filter;
    Workspace w;
    w.file_name = c.file_name;
    w.changed = true;
    const SaveOutcome outcome = SaveClick(w, {kDmyPoint, text, prompter, filter});
    EXPECT_EQ(prompter.messages, c.messages);
    EXPECT_EQ(prompter.dialogs, 1);
    EXPECT_EQ(outcome.saved, c.saved_as != nullptr);
    if (c.saved_as != nullptr) {
      EXPECT_EQ(w.file_name, (folder / c.saved_as).string());
      EXPECT_TRUE(fs::exists(folder / c.saved_as));
      EXPECT_FALSE(filter);
      EXPECT_FALSE(w.changed);
    } else {
      EXPECT_TRUE(w.changed);
    }
  }
}

TEST(SurveyFileSave, NonameSurveyStaysChanged) {
  TempFolder folder;
  ScriptedPrompter prompter;
  const LanguageTable text = save_texts();
  bool filter = false;
  Workspace w;
  w.file_name = (folder / "noname.as").string();
  w.changed = true;
  const SaveOutcome outcome = SaveClick(w, {kDmyPoint, text, prompter, filter});
  EXPECT_TRUE(outcome.saved);
  EXPECT_FALSE(outcome.add_to_recent_files);
  EXPECT_TRUE(w.changed);
  // Reading it back leaves the changed state as it was, too.
  Workspace start;
  start.changed = true;
  const auto back = DateiLesen(folder / "noname.as", start, SurveyReadContext{kDmyPoint, {}, {}});
  EXPECT_TRUE(back.workspace.changed);
}

}  // namespace
}  // namespace olvar::core
