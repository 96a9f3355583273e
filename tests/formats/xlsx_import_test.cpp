// Spreadsheets (.xlsx) written by LibreOffice from the real surveys import to the same table as
// the comma-separated files they were made from; the reader's own cases use a small workbook
// written here with libzip.

#include <zip.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/text_conversions.h"
#include "formats/survey_import.h"
#include "formats/xlsx_file.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::formats {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const core::DateConventions kDmy{core::DateOrder::dmy, '.', '.'};

using Maps = std::vector<std::pair<std::string, core::StdVar>>;

ImportResult import_file_bytes(const std::string& bytes, const std::string& name,
                               std::string_view sheet = {}, const Maps& maps = {}) {
  const ImportHeader header = read_import_header(bytes, import_format_of(name), name, sheet);
  ImportMapping mapping = preselected_mapping(header.fields, kDmy.order);
  for (const auto& [field, target] : maps) {
    const auto t = std::find(kImportTargets.begin(), kImportTargets.end(), target);
    mapping.field_of_target[static_cast<std::size_t>(t - kImportTargets.begin())] =
        field_index(header.fields, field);
  }
  mapping.file_order = guess_file_date_order(bytes, header, mapping, kDmy.order, 2026).order;
  ImportContext context;
  context.dates = kDmy;
  context.current_year = 2026;
  return import_survey(bytes, header, mapping, name, core::Workspace{}, context);
}

// A workbook of the given parts, zipped in memory.
std::string workbook(const std::vector<std::pair<std::string, std::string>>& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_source_keep(buffer);
  for (const auto& [name, text] : parts) {
    zip_source_t* part = zip_source_buffer(archive, text.data(), text.size(), 0);
    zip_file_add(archive, name.c_str(), part, ZIP_FL_OVERWRITE);
  }
  zip_close(archive);
  zip_source_open(buffer);
  zip_source_seek(buffer, 0, SEEK_END);
  const zip_int64_t size = zip_source_tell(buffer);
  zip_source_seek(buffer, 0, SEEK_SET);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(buffer);
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

const std::string kWorkbookXml =
    R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
    R"(<sheet name="notes" sheetId="1" r:id="rId1"/><sheet name="children" sheetId="2" r:id="rId2"/></sheets></workbook>)";
const std::string kRelations =
    R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Target="/xl/worksheets/other.xml"/></Relationships>)";
const std::string kStyles =
    R"(<?xml version="1.0"?><styleSheet><numFmts><numFmt numFmtId="165" formatCode="dd\-mmm\-yy"/><numFmt numFmtId="166" formatCode="[h]:mm"/></numFmts>)"
    R"(<cellStyleXfs><xf numFmtId="14"/></cellStyleXfs><cellXfs><xf numFmtId="0"/><xf numFmtId="165"/><xf numFmtId="14"/><xf numFmtId="166"/></cellXfs></styleSheet>)";
// "sex" and "ao\u00fbt" shared, a rich text with a phonetic run, an inline string, a serial day
// with a custom and a built-in date format, a time that is no date, a number stored with binary
// noise, a gap of one row and one column.
const std::string kSheet =
    R"(<?xml version="1.0"?><x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData>)"
    R"(<x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c><x:c r="B1" t="inlineStr"><x:is><x:t>SURVDATE</x:t></x:is></x:c><x:c r="C1" t="str"><x:v>WEIGHT</x:v></x:c><x:c r="D1" t="s"><x:v>2</x:v></x:c><x:c r="E1" t="s"><x:v>3</x:v></x:c></x:row>)"
    R"(<x:row r="2"><x:c r="A2" t="s"><x:v>4</x:v></x:c><x:c r="B2" s="1"><x:v>43684</x:v></x:c><x:c r="C2"><x:v>12.300000000000001</x:v></x:c><x:c r="D2" s="3"><x:v>0.5</x:v></x:c><x:c r="E2" t="s"><x:v>1</x:v></x:c></x:row>)"
    R"(<x:row r="4"><x:c r="A4" t="s"><x:v>4</x:v></x:c><x:c r="B4" s="2"><x:v>43685.75</x:v></x:c><x:c r="E4" t="inlineStr"><x:is><x:t>7 ao&#251;t 2019</x:t></x:is></x:c></x:row>)"
    R"(</x:sheetData></x:worksheet>)";
const std::string kShared =
    R"(<?xml version="1.0"?><sst><si><t>sex</t></si><si><t>ao)"
    "\xC3\xBB"
    R"(t</t></si><si><r><t>HO</t></r><r><t>UR</t></r><rPh><t>xx</t></rPh></si><si><t>NOTE</t></si><si><t>m</t></si></sst>)";

TEST(XlsxFile, ReadsTheNamedSheetWithItsStringsNumbersAndDates) {
  const std::string bytes = workbook({{"xl/workbook.xml", kWorkbookXml},
                                      {"xl/_rels/workbook.xml.rels", kRelations},
                                      {"xl/styles.xml", kStyles},
                                      {"xl/sharedStrings.xml", kShared},
                                      {"xl/worksheets/sheet1.xml", "<worksheet/>"},
                                      {"xl/worksheets/other.xml", kSheet}});
  EXPECT_THAT(xlsx_sheet_names(bytes, "w.xlsx"), ElementsAre("notes", "children"));
  // The first sheet is empty: it names no field.
  EXPECT_THROW(read_import_header(bytes, ImportFormat::xlsx, "w.xlsx"), ImportError);
  EXPECT_THAT([&] { read_import_header(bytes, ImportFormat::xlsx, "w.xlsx", "kids"); },
              testing::ThrowsMessage<ImportError>(HasSubstr("the sheets are notes, children")));

  const ImportHeader header = read_import_header(bytes, ImportFormat::xlsx, "w.xlsx", "children");
  std::vector<std::string> names;
  for (const ImportField& f : header.fields) names.push_back(f.name);
  EXPECT_THAT(names, ElementsAre("sex", "SURVDATE", "WEIGHT", "HOUR", "NOTE"));
  std::vector<std::vector<std::string>> records;
  read_import_records(bytes, header, "w.xlsx", [&](const std::vector<std::string>& texts) {
    records.push_back(texts);
    return true;
  });
  ASSERT_EQ(records.size(), 2u);  // the empty row 3 is no record
  EXPECT_THAT(records[0], ElementsAre("m", "2019-08-07", "12.3", "0.5", "ao\xFBt"));
  EXPECT_THAT(records[1], ElementsAre("m", "2019-08-08", "", "", "7 ao\xFBt 2019"));

  const ImportResult imported = import_file_bytes(bytes, "w.xlsx", "children");
  EXPECT_EQ(imported.records, 2);
  EXPECT_EQ(imported.workspace.survey.cell(core::StdVar::survdate, 1), "07.08.2019");
  EXPECT_EQ(imported.workspace.survey.cell(core::StdVar::weight, 1), "12.3");
}

TEST(XlsxFile, RefusesWhatIsNoWorkbook) {
  const std::pair<const char*, std::string> cases[] = {
      {"not a zip archive", "SEX,WEIGHT\nm,12\n"},
      {"a zip without a workbook", workbook({{"content.xml", "<a/>"}})},
      {"damaged XML", workbook({{"xl/workbook.xml", "<workbook><sheets><sheet name="}})},
      {"a shared string that does not exist",
       workbook({{"xl/workbook.xml", kWorkbookXml},
                 {"xl/_rels/workbook.xml.rels", kRelations},
                 {"xl/worksheets/sheet1.xml",
                  R"(<worksheet><sheetData><row r="1"><c t="s"><v>7</v></c></row></sheetData></worksheet>)"}})},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    EXPECT_THROW(read_import_header(bytes, ImportFormat::xlsx, "bad.xlsx"), ImportError);
  }
}

// Cells that agree: the same text, or numbers of the same value ("65.0" in the text file is
// "65" in the spreadsheet).
bool same_cell(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const std::optional<float> x = core::parse_number(a, '.');
  const std::optional<float> y = core::parse_number(b, '.');
  return x && y && *x == *y;
}

TEST(XlsxFile, SpreadsheetsWrittenByLibreOfficeImportLikeTheirCsv) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  const test::TempFolder folder;
  // The phone survey's dates are "07-Aug-19" texts, the district survey's ISO dates, which the
  // spreadsheet stores as serial days.
  using core::StdVar;
  const std::vector<std::pair<std::string, Maps>> surveys = {
      {"anthro_healthyr_raw_anthro1",
       {{"today", StdVar::survdate}, {"birthdate", StdVar::birthdat}, {"age", StdVar::months},
        {"child_sex", StdVar::sex}, {"cluster_id", StdVar::cluster}, {"enum", StdVar::team}}},
      {"anthro_mwana_anthro01", {{"dos", StdVar::survdate}, {"age", StdVar::months}}},
      {"anthro_nipntk_flag.ex01", {{"psu", StdVar::cluster}, {"age", StdVar::months}}}};
  std::string files;
  for (const auto& [name, maps] : surveys) {
    std::filesystem::copy_file(test::survey_data_path(name + ".csv"), folder / (name + ".csv"));
    files += " '" + name + ".csv'";
  }
  const test::CommandResult converted = test::run_command(
      "cd '" + folder.path().string() + "' && HOME='" + folder.path().string() +
          "' soffice --headless --convert-to xlsx" + files,
      folder.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  for (const auto& [name, maps] : surveys) {
    SCOPED_TRACE(name);
    const ImportResult csv =
        import_file_bytes(read_import_bytes(folder / (name + ".csv")), name + ".csv", {}, maps);
    const ImportResult xlsx =
        import_file_bytes(read_import_bytes(folder / (name + ".xlsx")), name + ".xlsx", {}, maps);
    EXPECT_TRUE(csv.notes.empty()) << csv.notes.front().message;
    EXPECT_EQ(xlsx.records, csv.records);
    EXPECT_GT(csv.records, 600);
    const core::SurveyTable& a = csv.workspace.survey;
    const core::SurveyTable& b = xlsx.workspace.survey;
    ASSERT_EQ(a.column_count(), b.column_count());
    ASSERT_EQ(a.row_count(), b.row_count());
    int differences = 0;
    for (int row = 0; row < a.row_count() && differences < 5; ++row) {
      for (int c = 1; c < a.column_count(); ++c) {
        if (same_cell(a.cell(c, row), b.cell(c, row))) continue;
        ADD_FAILURE() << "row " << row << " column " << c << ": \"" << a.cell(c, row)
                      << "\" against \"" << b.cell(c, row) << "\"";
        ++differences;
      }
    }
  }
}

}  // namespace
}  // namespace olvar::formats
