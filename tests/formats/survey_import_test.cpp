// The survey built by an import: the mapping window's preselection, the columns of mapped and
// unmapped fields, the value rules of SEX, EDEMA and the dates, and what the rest of the
// workspace keeps.

#include "formats/survey_import.h"

#include <gmock/gmock.h>
#include <algorithm>
#include <gtest/gtest.h>

#include "support/import_fixtures.h"

namespace olvar::formats {
namespace {

using core::StdVar;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

struct Imported {
  ImportResult result;
  std::vector<int> evaluated;
  const core::SurveyTable& survey() const { return result.workspace.survey; }
};

Imported import_bytes(const std::string& bytes, const std::string& name,
                      const ImportMapping* mapping = nullptr,
                      core::DateConventions dates = {core::DateOrder::dmy, '.', '.'},
                      core::Workspace start = {}) {
  Imported imported;
  const ImportHeader header = read_import_header(bytes, import_format_of(name), name);
  ImportContext context;
  context.dates = dates;
  context.current_year = 2026;
  context.evaluate_row = [&](core::Workspace&, int row) { imported.evaluated.push_back(row); };
  imported.result = import_survey(
      bytes, header, mapping ? *mapping : preselected_mapping(header.fields, dates.order), name,
      std::move(start), context);
  return imported;
}

std::vector<std::string> column(const core::SurveyTable& survey, int c, int rows) {
  std::vector<std::string> cells;
  for (int row = 1; row <= rows; ++row) cells.emplace_back(survey.cell(c, row));
  return cells;
}

TEST(ImportMapping, PreselectsTheFieldsNamedLikeTheTargetsTheLaterOneWinning) {
  const std::vector<ImportField> fields = {{"Sex"},    {"AGE"},    {"weight"},
                                           {"HEIGHT"}, {"OEDEMA"}, {"MONTHS"},
                                           {"edema"},  {"WAZ"},    {"VILLAGE"}};
  const ImportMapping mapping = preselected_mapping(fields, core::DateOrder::mdy);
  EXPECT_THAT(mapping.field_of_target, ElementsAre(-1, -1, -1, -1, -1, 0, -1, 5, 2, 3, 6, -1, -1, -1, -1, -1));
  EXPECT_EQ(mapping.file_order, core::DateOrder::mdy);
  EXPECT_EQ(preselected_mapping(fields, core::DateOrder::unknown).file_order, core::DateOrder::dmy);
  EXPECT_EQ(field_index(fields, "village"), 8);
  EXPECT_EQ(field_index(fields, "town"), -1);
  EXPECT_EQ(import_target_named("muac"), StdVar::muac);
  EXPECT_EQ(import_target_named("wtfactor"), StdVar::wtfactor);
  EXPECT_EQ(import_target_named("WAZ"), std::nullopt);  // computed, not a target of the mapping
}

TEST(SurveyImport, PutsMappedFieldsInTheirColumnsAndTheOthersAfterThemAsUserVariables) {
  const std::string bytes =
      test::rec_file({{"ID", 1, 3},
                      {"WEIGHT", 1, 5},
                      {"KG", 1, 5},
                      {"HEIGHT", 1, 5},
                      {"village", 2, 12},
                      {"VILLAGE", 2, 10},
                      {"HOUSEHOLDSZ", 1, 2}},
                     {{{"1", "12.5", "12,6", "85.0", "Loma", "North", "5"}},
                      {{"2", "9.1", "9.2", "70.2", "Bo", "South", "12"}, true},
                      {{"3", "10", "10.1", "80", "Cy", "", ""}}});
  ImportMapping mapping;
  mapping.field_of_target[3] = 0;  // ID
  mapping.field_of_target[8] = 2;  // KG gives WEIGHT; the field WEIGHT stays apart
  mapping.field_of_target[9] = 3;  // HEIGHT
  core::Workspace start;
  start.planning.survey_name = "Kept";
  const Imported imported =
      import_bytes(bytes, "data/survey.rec", &mapping, {core::DateOrder::dmy, '.', ','}, start);
  const core::SurveyTable& survey = imported.survey();
  EXPECT_EQ(imported.result.records, 2);
  EXPECT_EQ(imported.result.deleted, 1);
  EXPECT_THAT(column(survey, core::column(StdVar::id), 2), ElementsAre("1", "3"));
  EXPECT_THAT(column(survey, core::column(StdVar::weight), 2), ElementsAre("12,6", "10,1"));
  EXPECT_THAT(column(survey, core::column(StdVar::height), 2), ElementsAre("85,0", "80"));
  // User variables: the unmapped standard name gets "_"; names are upper case, at most eight
  // characters, and a repeated name gets "_" in front as the survey file does.
  EXPECT_EQ(survey.cell(20, 0), "_WEIGHT");
  EXPECT_EQ(survey.cell(21, 0), "VILLAGE");
  EXPECT_EQ(survey.cell(22, 0), "_VILLAGE");
  EXPECT_EQ(survey.cell(23, 0), "HOUSEHOL");
  EXPECT_THAT(column(survey, 20, 2), ElementsAre("12,5", "10"));
  EXPECT_THAT(column(survey, 22, 2), ElementsAre("North", ""));
  EXPECT_EQ(survey.column_count(), core::column_count_for_variables(23));
  EXPECT_EQ(survey.cell(0, 2), "2");
  EXPECT_TRUE(survey.row_is_empty(3));
  EXPECT_GE(survey.row_count(), 3 + core::kSpareRows);
  EXPECT_THAT(imported.evaluated, ElementsAre(1, 2));

  const core::TextGrid& view = imported.result.workspace.variables;
  EXPECT_EQ(view.cell(0, 20), "_WEIGHT");
  EXPECT_EQ(view.cell(1, 20), "numeric");
  EXPECT_EQ(view.cell(0, 21), "VILLAGE");
  EXPECT_EQ(view.cell(1, 21), "character");
  EXPECT_EQ(view.cell(0, 24), "");

  EXPECT_EQ(imported.result.workspace.file_name, "data/survey.as");
  EXPECT_TRUE(imported.result.workspace.changed);
  EXPECT_EQ(imported.result.workspace.planning.survey_name, "Kept");
  EXPECT_FALSE(imported.result.data_lost());
  ASSERT_EQ(imported.result.notes.size(), 1u);
  EXPECT_EQ(imported.result.notes[0].message,
            "1 records marked as deleted in the file were left out");
}

TEST(SurveyImport, WritesSexAndOedemaCodesAndKeepsEmptyValuesEmpty) {
  struct Case {
    const char* sex;
    const char* edema;
    const char* logical;  // a dBase logical field given as EDEMA
    const char* sex_cell;
    const char* edema_cell;
    const char* logical_cell;
  };
  const Case cases[] = {
      {"1", "1", "T", "m", "y", "y"}, {"m", "y", "t", "m", "y", "y"},
      {"M", "Y", "Y", "m", "y", "y"}, {"2", "2", "F", "f", "n", "n"},
      {"F", "n", "N", "f", "n", "n"}, {"x", "0", "?", "f", "n", "n"},
      {"", "", "", "", "", ""},
  };
  std::vector<test::RecRecord> records;
  for (const Case& c : cases) records.push_back({{c.sex, c.edema, c.logical}});
  const std::string bytes =
      test::dbf_file({{"SEX", 'C', 1}, {"EDEMA", 'C', 1}, {"SWOLLEN", 'L', 1}}, records);
  std::vector<std::string> sex, edema;
  for (const Case& c : cases) {
    sex.push_back(c.sex_cell);
    edema.push_back(c.edema_cell);
  }
  const Imported imported = import_bytes(bytes, "codes.dbf");
  const int rows = static_cast<int>(std::size(cases));
  EXPECT_EQ(column(imported.survey(), core::column(StdVar::sex), rows), sex);
  EXPECT_EQ(column(imported.survey(), core::column(StdVar::edema), rows), edema);

  ImportMapping logical;
  logical.field_of_target[10] = 2;  // SWOLLEN gives EDEMA
  std::vector<std::string> logical_cells;
  for (const Case& c : cases) logical_cells.push_back(c.logical_cell);
  EXPECT_EQ(column(import_bytes(bytes, "codes.dbf", &logical).survey(), core::column(StdVar::edema),
                   rows),
            logical_cells);
}

// Records of dates alone are read, but a survey file does not keep them, and the import says so:
// true when that is all it says.
bool says_only_that_date_rows_are_not_kept(const std::vector<ImportNote>& notes) {
  return std::all_of(notes.begin(), notes.end(), [](const ImportNote& note) {
    return note.message.find("a survey file does not keep such rows") != std::string::npos;
  });
}

TEST(SurveyImport, ConvertsDatesFromTheFileOrderAndDbaseDatesFromYearMonthDay) {
  const core::DateConventions dmy{core::DateOrder::dmy, '.', '.'};
  const core::DateConventions mdy{core::DateOrder::mdy, '/', '.'};
  // dBase: the stored form of 15 March 2008; an empty date gets no separators. Dates are
  // written as the survey file's reader converts them (leading zeros dropped).
  const std::string dbf = test::dbf_file({{"SURVDATE", 'D', 8}, {"BIRTHDAT", 'C', 10}},
                                         {{{"20080315", "2006-07-01"}}, {{"", ""}}});
  ImportMapping ymd = preselected_mapping({{"SURVDATE"}, {"BIRTHDAT"}}, core::DateOrder::ymd);
  for (const auto& [dates, survdate, birthdat] :
       {std::tuple{dmy, "15.3.2008", "1.7.2006"}, std::tuple{mdy, "3/15/2008", "7/1/2006"}}) {
    const Imported imported = import_bytes(dbf, "dates.dbf", &ymd, dates);
    EXPECT_THAT(column(imported.survey(), 1, 2), ElementsAre(survdate, ""));
    EXPECT_THAT(column(imported.survey(), 7, 2), ElementsAre(birthdat, ""));
    EXPECT_TRUE(says_only_that_date_rows_are_not_kept(imported.result.notes));
  }
  // A dBase date field is year, month, day whatever order is chosen for the file; a text field
  // follows the order chosen, but a four-digit year in front is year-first in any order.
  ImportMapping wrong = ymd;
  wrong.file_order = core::DateOrder::dmy;
  const Imported imported = import_bytes(dbf, "dates.dbf", &wrong, dmy);
  EXPECT_THAT(column(imported.survey(), 1, 1), ElementsAre("15.3.2008"));
  EXPECT_THAT(column(imported.survey(), 7, 1), ElementsAre("01.07.2006"));
  EXPECT_TRUE(says_only_that_date_rows_are_not_kept(imported.result.notes));

  // Epi Info dates as typed, in the order chosen.
  const std::string rec = test::rec_file({{"SURVDATE", 12, 10}}, {{{"03/15/2008"}}});
  ImportMapping month_first = preselected_mapping({{"SURVDATE"}}, core::DateOrder::mdy);
  EXPECT_THAT(column(import_bytes(rec, "d.rec", &month_first, dmy).survey(), 1, 1),
              ElementsAre("15.3.2008"));
}

TEST(SurveyImport, SaysWhatWasNotKeptAndRefusesAMalformedRecord) {
  std::vector<test::DbfField> fields = {{"ID", 'N', 3}, {"NOTES", 'M', 10}};
  const std::string whole = test::dbf_file(fields, {{{"1", "1"}}, {{"2", "2"}}}, false);
  const Imported cut = import_bytes(whole.substr(0, whole.size() - 3), "cut.dbf");
  EXPECT_EQ(cut.result.records, 1);
  EXPECT_TRUE(cut.result.data_lost());
  ASSERT_EQ(cut.result.notes.size(), 2u);
  EXPECT_THAT(cut.result.notes[0].message, HasSubstr("NOTES (type M)"));
  EXPECT_THAT(cut.result.notes[1].message, HasSubstr("the file ends inside record 2"));

  EXPECT_THAT([] { import_bytes("a,b\n1,2\n\"3\"x,4\n", "bad.csv"); },
              ThrowsMessage<ImportError>(HasSubstr("bad.csv, line 3: ")));
}

TEST(SurveyImport, LeavesFieldsBeyondTheLastColumnOutWithANote) {
  std::string header, values;
  for (int k = 1; k <= 240; ++k) {
    header += (k > 1 ? "," : "") + std::string("V") + std::to_string(k);
    values += (k > 1 ? "," : "") + std::to_string(k);
  }
  const Imported imported = import_bytes(header + "\n" + values + "\n", "wide.csv");
  const core::SurveyTable& survey = imported.survey();
  EXPECT_EQ(survey.column_count(), core::kMaxColumns);
  EXPECT_EQ(survey.cell(254, 0), "V235");
  EXPECT_EQ(survey.cell(254, 1), "235");
  EXPECT_TRUE(imported.result.data_lost());
  ASSERT_FALSE(imported.result.notes.empty());
  EXPECT_THAT(imported.result.notes[0].message,
              HasSubstr("these fields were not imported: V236, V237, V238, V239, V240"));
}


// Dates as the phone tools and spreadsheets write them: each form is written in the system's
// form; a text that is no date in the file order stays as read and is counted in a note.
TEST(SurveyImport, ReadsDatesInEveryCommonFormAndNamesTheOnesItCannot) {
  const std::string csv =
      "SURVDATE,BIRTHDAT,MONTHS\n"
      "07-Aug-19,15-May-15,50\n"
      "2019-08-07,7 ao\xFBt 2017,\n"
      "43684,24/01/18,\n"
      "07.08.2019,31/02/2018,18\n";
  const core::DateConventions dmy{core::DateOrder::dmy, '.', '.'};
  const Imported imported = import_bytes(csv, "phone.csv", nullptr, dmy);
  EXPECT_THAT(column(imported.survey(), 1, 4),
              ElementsAre("07.08.2019", "07.08.2019", "07.08.2019", "07.08.2019"));
  EXPECT_THAT(column(imported.survey(), 7, 4),
              ElementsAre("15.05.2015", "07.08.2017", "24.01.18", "31.02.2018"));
  // Two rows hold dates only: they are read, and the note says a survey file will not keep them.
  ASSERT_EQ(imported.result.notes.size(), 2u);
  EXPECT_THAT(imported.result.notes[0].message,
              HasSubstr("1 values of BIRTHDAT are no dates in the order dmy"));
  EXPECT_THAT(imported.result.notes[1].message, HasSubstr("2 records hold nothing but"));
}

TEST(SurveyImport, GuessesTheDateOrderFromTheMappedDateFields) {
  const std::string header = "SURVDATE,BIRTHDAT,NOTE\n";
  struct Case {
    const char* what;
    std::string rows;
    core::DateOrder order;
    bool from_data;
  };
  const Case cases[] = {
      {"a day above 12 in the birth dates", "08/07/2019,02/25/2017,13/13/13\n", core::DateOrder::mdy,
       true},
      {"a day above 12 in the survey dates", "25/07/2019,02/01/2017,x\n", core::DateOrder::dmy,
       true},
      {"month names decide nothing", "07-Aug-19,02-Jan-17,x\n", core::DateOrder::ymd, false},
      {"a field that is not mapped to a date takes no part", "01/02/2019,,13/02/2019\n",
       core::DateOrder::ymd, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string csv = header + c.rows;
    const ImportHeader h = read_import_header(csv, ImportFormat::delimited, "d.csv");
    const ImportMapping mapping = preselected_mapping(h.fields, core::DateOrder::ymd);
    const core::DateOrderGuess guess =
        guess_file_date_order(csv, h, mapping, core::DateOrder::ymd, 2026);
    if (c.from_data) {
      EXPECT_EQ(guess.order, c.order);
    }
    EXPECT_EQ(guess.from_data, c.from_data);
  }
}

// The new targets: MEASURE takes the forms' 1/2 codes, CLOTHES y/n like EDEMA, STRATA and
// WTFACTOR numbers; a WTFACTOR field fills the standard column, not a user variable.
TEST(SurveyImport, MapsMeasureClothesStrataAndWeightingFactor) {
  const std::string csv =
      "measure,clothes,strata,wtfactor,waz\n"
      "1,1,2,\"1,5\",-1.2\n"
      "2,n,1,0.5,0.3\n"
      "H,y,,,\n"
      "x,,,,\n";
  const Imported imported = import_bytes(csv, "extra.csv");
  const core::SurveyTable& s = imported.survey();
  EXPECT_THAT(column(s, core::column(StdVar::measure), 4), ElementsAre("l", "h", "h", "x"));
  EXPECT_THAT(column(s, core::column(StdVar::clothes), 4), ElementsAre("y", "n", "y", ""));
  EXPECT_THAT(column(s, core::column(StdVar::strata), 4), ElementsAre("2", "1", "", ""));
  EXPECT_THAT(column(s, core::column(StdVar::wtfactor), 4), ElementsAre("1.5", "0.5", "", ""));
  // The z-scores are computed: a field named WAZ is kept apart from them.
  EXPECT_EQ(s.cell(core::kFirstUserColumn, 0), "_WAZ");
  EXPECT_EQ(s.cell(core::kFirstUserColumn + 1, 0), "");
}

// The preview shows the cells as the import writes them and says why a value is refused.
TEST(ImportPreview, ShowsTheCellsAsTheyWillBeReadAndMarksTheRefusedOnes) {
  const std::string csv =
      "SURVDATE,SEX,WEIGHT,MEASURE,BIRTHDAT\n"
      "07-Aug-19,1,12.5,1,31/02/2018\n"
      "2019-08-07,x,abc,l,01/01/18\n"
      "07/08/2019,F,,q,\n";
  const ImportHeader h = read_import_header(csv, ImportFormat::delimited, "p.csv");
  const ImportMapping mapping = preselected_mapping(h.fields, core::DateOrder::dmy);
  const core::DateConventions dmy{core::DateOrder::dmy, '.', ','};
  const ImportPreview preview = preview_import(csv, h, mapping, "p.csv", dmy, 2026, 2);
  ASSERT_EQ(preview.rows.size(), 2u);  // no more than asked for
  const auto cell = [&](std::size_t row, StdVar v) {
    const auto t = static_cast<std::size_t>(
        std::find(kImportTargets.begin(), kImportTargets.end(), v) - kImportTargets.begin());
    return preview.rows[row][t];
  };
  EXPECT_EQ(cell(0, StdVar::survdate).cell, "07.08.2019");
  EXPECT_EQ(cell(0, StdVar::sex).cell, "m");
  EXPECT_EQ(cell(0, StdVar::weight).cell, "12,5");  // the system's decimal separator
  EXPECT_EQ(cell(0, StdVar::measure).cell, "l");
  EXPECT_THAT(cell(0, StdVar::birthdat).refused, HasSubstr("no date in the order dmy"));
  EXPECT_EQ(cell(0, StdVar::survdate).refused, "");
  EXPECT_EQ(cell(1, StdVar::survdate).cell, "07.08.2019");
  EXPECT_THAT(cell(1, StdVar::sex).refused, HasSubstr("no sex code"));
  EXPECT_EQ(cell(1, StdVar::weight).refused, "not a number");
  EXPECT_EQ(cell(1, StdVar::birthdat).refused, "");
  EXPECT_EQ(cell(1, StdVar::cluster).cell, "");  // not mapped

  // The preview follows the date order chosen.
  ImportMapping ymd = mapping;
  ymd.file_order = core::DateOrder::ymd;
  const ImportPreview year_first = preview_import(csv, h, ymd, "p.csv", dmy, 2026, 3);
  EXPECT_THAT(year_first.rows[2][0].refused, HasSubstr("no date in the order ymd"));
}

}  // namespace
}  // namespace olvar::formats
