// olvar-cli import end to end: Epi Info and dBase files written by the tests from the formats'
// public descriptions, the failures that must write nothing, and the real public surveys
// imported from CSV, whose z-scores must be those olvar-cli zscores gives for the same rows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/import_fixtures.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;
using Lines = std::vector<std::vector<std::string>>;

class CliImport : public ::testing::Test {
 protected:
  test::CommandResult run(const std::string& arguments) {
    // The C locale: dates month first with "/", "." for decimals.
    return test::run_cli_at_home(arguments, folder_.path());
  }
  std::string at(const std::string& name) { return "'" + (folder_ / name).string() + "'"; }
  std::string write(const std::string& name, const std::string& bytes) {
    folder_.write(name, bytes);
    return at(name);
  }
  // The Survey table of a survey file, one map of header to cell per child.
  std::vector<std::map<std::string, std::string>> children(const std::string& survey) {
    const test::CommandResult table = run("table " + survey);
    EXPECT_EQ(table.status, 0) << table.err;
    const Lines lines = split(table.out, '\t');
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t k = 1; k < lines.size(); ++k) {
      std::map<std::string, std::string> row;
      for (std::size_t c = 0; c < lines[0].size() && c < lines[k].size(); ++c) {
        row[lines[0][c]] = trimmed(lines[k][c]);
      }
      rows.push_back(row);
    }
    return rows;
  }

  static std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
  }
  static Lines split(const std::string& text, char separator) {
    Lines lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::string> fields(1);
      for (char c : line) {
        if (c == separator) {
          fields.emplace_back();
        } else {
          fields.back() += c;
        }
      }
      lines.push_back(fields);
    }
    return lines;
  }

  test::TempFolder folder_;
};

const std::vector<test::RecField> kRecFields = {
    {"CLUSTER", 1, 3}, {"ID", 1, 3},     {"SEX", 2, 1},  {"AGE", 1, 5},     {"WEIGHT", 1, 5},
    {"HEIGHT", 1, 5},  {"OEDEMA", 2, 1}, {"MUAC", 1, 4}, {"VILLAGE", 2, 70}};

TEST_F(CliImport, ImportsAnEpiInfoFileWithItsStandardFieldsMapped) {
  const std::string input =
      write("survey.rec",
            test::rec_file(kRecFields, {{{"1", "1", "1", "24", "11.2", "84.5", "2", "140", "Loma"}},
                                        {{"1", "2", "2", "30", "12", "88", "2", "150", "Bo"}, true},
                                        {{"2", "3", "2", "13.5", "8.1", "72.0", "1", "", "Cy"}}}));
  const test::CommandResult r = run("import " + input + " -o " + at("out.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("1 records marked as deleted in the file were left out"));
  EXPECT_THAT(r.err,
              HasSubstr("2 children imported (CLUSTER=CLUSTER, ID=ID, SEX=SEX, "
                        "AGE=MONTHS, WEIGHT=WEIGHT, HEIGHT=HEIGHT, OEDEMA=EDEMA, MUAC=MUAC"));
  const auto rows = children(at("out.as"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].at("SEX"), "m");
  EXPECT_EQ(rows[0].at("EDEMA"), "n");
  EXPECT_EQ(rows[0].at("VILLAGE"), "Loma");
  EXPECT_FALSE(rows[0].at("WHZ").empty());
  EXPECT_EQ(rows[1].at("ID"), "3");
  EXPECT_EQ(rows[1].at("SEX"), "f");
  EXPECT_EQ(rows[1].at("EDEMA"), "y");
  EXPECT_EQ(rows[1].at("WHZ"), "");  // oedema: no weight-for-height
  EXPECT_FALSE(rows[1].at("HAZ").empty());
}

TEST_F(CliImport, ImportsADbaseFileWithTheMappingAndDateOrderGiven) {
  const std::string input = write(
      "survey.dbf", test::dbf_file({{"KIND", 'C', 1},
                                    {"MEASURED", 'D', 8},
                                    {"BORN", 'C', 10},
                                    {"KG", 'N', 5, 1},
                                    {"CM", 'N', 5, 1},
                                    {"NOTES", 'M', 10}},
                                   {{{"m", "20240310", "25/09/2022", "11.5", "85.0", ""}},
                                    {{"f", "20240311", "01/02/2023", "9.0", "74.2", ""}, true}}));
  const test::CommandResult r = run("import " + input +
                                    " --map KIND=SEX --map measured=survdate --map BORN=BIRTHDAT "
                                    "--map KG=WEIGHT --map CM=HEIGHT --date-order dmy -o " +
                                    at("out.as"));
  // The memo field could not be imported: written, status 2.
  ASSERT_EQ(r.status, 2) << r.err;
  EXPECT_THAT(r.err, HasSubstr("NOTES (type M)"));
  const auto rows = children(at("out.as"));
  ASSERT_EQ(rows.size(), 1u);
  // The C locale writes dates month first.
  EXPECT_EQ(rows[0].at("SURVDATE"), "3/10/2024");
  EXPECT_EQ(rows[0].at("BIRTHDAT"), "9/25/2022");
  EXPECT_EQ(rows[0].at("MONTHS"), "17.48");
  EXPECT_FALSE(rows[0].at("WAZ").empty());
}

// The phone survey writes its dates "07-Aug-19": without --date-order they are read, and the
// order it would have taken for dates of numbers only is the system's (month names decide
// nothing). A day above 12 decides it.
TEST_F(CliImport, ReadsDatesOfEveryFormAndGuessesTheirOrder) {
  const fs::path phone = fs::path(OLVAR_SURVEY_DATA_DIR) / "anthro_healthyr_raw_anthro1.csv";
  if (!fs::exists(phone)) GTEST_SKIP() << "no survey data";
  test::CommandResult r = run("import '" + phone.string() +
                              "' --map today=SURVDATE --map birthdate=BIRTHDAT --map age=MONTHS "
                              "--map child_sex=SEX --map weight=WEIGHT --map height=HEIGHT "
                              "--map measure=MEASURE -o " +
                              at("phone.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, Not(HasSubstr("are no dates")));
  EXPECT_THAT(r.err, HasSubstr("dates read as mdy, the dates read alike in every order"));
  const auto rows = children(at("phone.as"));
  ASSERT_EQ(rows.size(), 651u);
  // The C locale writes dates month first.
  EXPECT_EQ(rows[0].at("SURVDATE"), "08/07/2019");
  EXPECT_EQ(rows[0].at("BIRTHDAT"), "05/15/2015");
  EXPECT_EQ(rows[0].at("MEASURE"), "h");
  EXPECT_FALSE(rows[0].at("HAZ").empty());

  const std::string dmy = write("dmy.csv", "SURVDATE,WEIGHT\n03/04/2020,12\n25/04/2020,11\n");
  r = run("import " + dmy + " -o " + at("dmy.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("dates read as dmy, guessed from the dates of the file"));
  EXPECT_EQ(children(at("dmy.as"))[0].at("SURVDATE"), "4/3/2020");

  r = run("import " + dmy + " --sheet one -o " + at("sheet.as"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("is no XLSX spreadsheet"));
}

TEST_F(CliImport, RefusesWhatItCannotImportAndWritesNothing) {
  const std::string rec = test::rec_file(kRecFields, {{{"1", "1", "1", "24", "11.2"}}});
  const std::string dbf = test::dbf_file({{"SEX", 'C', 1}}, {{{"m"}}});
  struct Case {
    const char* what;
    std::string file;
    std::string bytes;
    std::string options;
    const char* message;
  };
  const Case cases[] = {
      {"a .rec cut inside its header", "cut.rec", rec.substr(0, 200), "",
       "cut.rec, line 5: the file ends inside its header"},
      {"a .dbf cut inside its header", "cut.dbf", dbf.substr(0, 40), "",
       "cut.dbf, header: the file ends inside its header"},
      {"a malformed CSV record", "bad.csv", "sex,weight\nm,\"1\"2\n", "",
       "bad.csv, line 2: text after the closing quote"},
      {"a field the file lacks", "ok.csv", "sex,weight\nm,12\n", "--map kg=WEIGHT",
       "--map kg=WEIGHT: "},
      {"a target that is none", "ok.csv", "sex,weight\nm,12\n", "--map weight=WAZ",
       "WAZ is not a target; the targets are SURVDATE, CLUSTER"},
      {"a target mapped twice", "ok.csv", "sex,weight\nm,12\n", "--map sex=SEX --map weight=SEX",
       "SEX is mapped twice"},
      {"no such date order", "ok.csv", "sex,weight\nm,12\n", "--date-order dym", "--date-order"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string input = write(c.file, c.bytes);
    const test::CommandResult r = run("import " + input + " " + c.options + " -o " + at("out.as"));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_FALSE(fs::exists(folder_ / "out.as"));
  }
  const std::string input = write("same.csv", "sex\nm\n");
  const test::CommandResult same = run("import " + input + " -o " + input);
  EXPECT_EQ(same.status, 1);
  EXPECT_THAT(same.err, HasSubstr("is the input file"));
}

TEST_F(CliImport, AFileCutInsideARecordKeepsTheWholeRecordsAndSaysSo) {
  const std::string whole = test::rec_file(
      kRecFields, {{{"1", "1", "1", "24", "11.2"}}, {{"1", "2", "2", "30", "12"}}}, false);
  const std::string input = write("cut.rec", whole.substr(0, whole.size() - 30));
  const test::CommandResult r = run("import " + input + " -o " + at("out.as"));
  ASSERT_EQ(r.status, 2) << r.err;
  EXPECT_THAT(r.err, HasSubstr("the file ends inside record 2"));
  EXPECT_THAT(r.err, HasSubstr("was written without the data the warnings above name"));
  EXPECT_EQ(children(at("out.as")).size(), 1u);

  // Delimited text cut in its last record: the same status and the whole records.
  const std::string csv = write("cut.csv", "SEX,MONTHS,WEIGHT,HEIGHT\nm,24,11.2,84.5\nf,30");
  const test::CommandResult cut = run("import " + csv + " -o " + at("csv.as"));
  ASSERT_EQ(cut.status, 2) << cut.err;
  EXPECT_THAT(cut.err, HasSubstr("the file ends inside the record on line 3"));
  EXPECT_EQ(children(at("csv.as")).size(), 1u);
}

TEST_F(CliImport, HelpShowsTheOptionsAndTheExitStatus) {
  const test::CommandResult r = run("import --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("--map"));
  EXPECT_THAT(r.out, HasSubstr("--date-order"));
  EXPECT_THAT(r.out, HasSubstr("Exit status"));
  EXPECT_THAT(run("--help").out, HasSubstr("import"));
}

// The real public surveys (../shared/data/surveys): each imported from its CSV file, then the
// z-scores of the survey compared with those olvar-cli zscores computes from the same rows.
TEST_F(CliImport, RealSurveysImportedFromCsvHaveTheZscoresOfTheZscoreTool) {
  struct Survey {
    const char* file;
    const char* maps;
    std::size_t children;
  };
  const Survey surveys[] = {
      {"anthro_mwana_anthro01.csv",
       "--map dos=SURVDATE --map cluster=CLUSTER --map team=TEAM "
       "--map sex=SEX --map age=MONTHS --map weight=WEIGHT --map height=HEIGHT --map edema=EDEMA "
       "--map muac=MUAC --date-order ymd",
       1191},
      {"anthro_mwana_anthro03.csv", "", 943},
      {"anthro_healthyr_raw_anthro1.csv",
       "--map child_sex=SEX --map age=MONTHS --map weight=WEIGHT "
       "--map height=HEIGHT --map muac=MUAC --map edema=EDEMA --map cluster_id=CLUSTER --map "
       "enum=TEAM",
       651},
      {"anthro_nipntk_flag.ex01.csv", "", 786},
      {"anthro_nipntk_dist.ex01.csv", "", 873},
      {"anthro_nipntk_rl.ex01.csv", "", 906},
      {"anthro_nipntk_dp.ex01.csv",
       "--map sex=SEX --map age=MONTHS --map wt=WEIGHT --map ht=HEIGHT "
       "--map oedema=EDEMA",
       796},
      {"anthro_nipntk_dp.ex03.csv", "", 374},
  };
  const fs::path data = OLVAR_SURVEY_DATA_DIR;
  if (!fs::exists(data / surveys[0].file)) GTEST_SKIP() << "no survey data in " << data;
  for (const Survey& s : surveys) {
    SCOPED_TRACE(s.file);
    const std::string out = at(std::string(s.file) + ".as");
    const test::CommandResult r =
        run("import '" + (data / s.file).string() + "' " + s.maps + " -o " + out);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = children(out);
    ASSERT_EQ(rows.size(), s.children);

    // The same rows for the z-score tool: sex, age in days from MONTHS as row evaluation reads
    // it (single precision, 30.4375 days a month), weight, height, oedema, MUAC. The engine
    // works on the age rounded to whole days (half to even), and the tool reads its ages in
    // single precision, which would lose the fraction that decides 24 months = 730.5 days: so
    // the tool is given the whole day the engine rounds the row's age to.
    std::string csv = "sex,age_days,weight_kg,height_cm,oedema,muac_mm\n";
    for (const auto& row : rows) {
      std::string age;
      if (!row.at("MONTHS").empty()) {
        char text[40];
        std::snprintf(
            text, sizeof text, "%.0f",
            std::nearbyint(static_cast<double>(std::stof(row.at("MONTHS"))) * 30.4375000001));
        age = text;
      }
      // A cell that is no number ("NA") is missing to row evaluation; the tool would give up
      // the whole row for it.
      const auto number = [&](const char* name) {
        const std::string& cell = row.at(name);
        char* end = nullptr;
        std::strtod(cell.c_str(), &end);
        return !cell.empty() && *end == '\0' ? cell : std::string();
      };
      csv += row.at("SEX") + "," + age + "," + number("WEIGHT") + "," + number("HEIGHT") + "," +
             row.at("EDEMA") + "," + number("MUAC") + "\n";
    }
    const std::string input = write("same_rows.csv", csv);
    const test::CommandResult z = run("zscores " + input);
    ASSERT_EQ(z.status, 0) << z.err;
    const Lines lines = split(z.out, ',');
    ASSERT_EQ(lines.size(), rows.size() + 1);
    const std::vector<std::string>& head = lines[0];
    const auto column = [&](const std::string& name) {
      return static_cast<std::size_t>(std::find(head.begin(), head.end(), name) - head.begin());
    };
    int compared = 0, differing = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      for (const auto& [survey_name, tool_name] :
           {std::pair{"WAZ", "waz"}, std::pair{"HAZ", "haz"}, std::pair{"WHZ", "whz"}}) {
        const std::string mine = rows[k].at(survey_name);
        const std::string tool = lines[k + 1].at(column(tool_name));
        if (mine.empty() || tool.empty()) {
          if (mine.empty() != tool.empty()) {
            ++differing;
            ADD_FAILURE() << "row " << k + 1 << " " << survey_name << ": \"" << mine << "\" vs \""
                          << tool << "\"";
          }
          continue;
        }
        ++compared;
        if (std::fabs(std::stod(mine) - std::stod(tool)) > 0.0015) {
          ++differing;
          ADD_FAILURE() << "row " << k + 1 << " " << survey_name << ": " << mine << " vs " << tool;
        }
      }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(compared, static_cast<int>(s.children));  // most children have all three
  }
}

}  // namespace
}  // namespace olvar
