// The readers of the files a survey is imported from (Epi Info 6, dBase III/IV, delimited
// text) on small files written by the tests from the formats' public descriptions, and the
// fuzzing corpora of the three readers.

#include "formats/import_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/epi_info_file.h"
#include "support/import_fixtures.h"
#include "support/test_paths.h"

namespace olvar::formats {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using Records = std::vector<std::vector<std::string>>;

struct Read {
  ImportHeader header;
  RecordsRead records;
  Records texts;
};

Read read_all(const std::string& bytes, const std::string& name) {
  Read read;
  read.header = read_import_header(bytes, import_format_of(name), name);
  read.records = read_import_records(bytes, read.header, name, [&](const auto& texts) {
    read.texts.push_back(texts);
    return true;
  });
  return read;
}

std::vector<std::string> names(const ImportHeader& header) {
  std::vector<std::string> list;
  for (const ImportField& f : header.fields) list.push_back(f.name);
  return list;
}

bool loses_data(const std::vector<ImportNote>& notes) {
  for (const ImportNote& note : notes) {
    if (note.data_lost) return true;
  }
  return false;
}

// ---- Epi Info 6 ----

const std::vector<test::RecField> kRecFields = {
    {"ID", 1, 3}, {"SEX", 2, 1}, {"WEIGHT", 1, 5}, {"HEIGHT", 1, 5}, {"BIRTHDAT", 12, 10}};

TEST(EpiInfoFile, ReadsFieldsAndRecordsAndLeavesOutDeletedRecords) {
  const std::string bytes =
      test::rec_file(kRecFields, {{{"1", "1", " 12.5", "85.0", "15/03/2008"}},
                                  {{"2", "2", "9.1", "70.2", "01/01/2009"}, true},
                                  {{"3", "m", "", "80", ""}}});
  const Read read = read_all(bytes, "survey.rec");
  EXPECT_THAT(names(read.header), ElementsAre("ID", "SEX", "WEIGHT", "HEIGHT", "BIRTHDAT"));
  EXPECT_EQ(read.header.fields[2].start, 5);
  EXPECT_EQ(read.header.fields[2].length, 5);
  EXPECT_THAT(read.texts, ElementsAre(ElementsAre("1", "1", "12.5", "85.0", "15/03/2008"),
                                      ElementsAre("3", "m", "", "80", "")));
  EXPECT_EQ(read.records.kept, 2);
  EXPECT_EQ(read.records.deleted, 1);
  EXPECT_TRUE(read.records.notes.empty());
}

// A record is written in lines of 78 characters and the end marker. Counting 80 characters per
// line would read a record of 79 to 80 characters as one line and one of 157 to 159 as two.
TEST(EpiInfoFile, ReadsRecordsSpanningLinesByTheirRealLineLength) {
  for (const int total : {78, 79, 80, 100, 156, 157, 160}) {
    SCOPED_TRACE(total);
    const std::vector<test::RecField> fields = {
        {"ID", 1, 2}, {"NOTE", 2, total - 6}, {"MUAC", 1, 4}};
    const std::string note(static_cast<std::size_t>(total - 6), 'x');
    const std::string bytes = test::rec_file(
        fields, {{{"1", note, "135"}}, {{"2", "short", "120"}, true}, {{"3", "a b", "99"}}});
    const Read read = read_all(bytes, "long.rec");
    EXPECT_THAT(read.texts,
                ElementsAre(ElementsAre("1", note, "135"), ElementsAre("3", "a b", "99")));
    EXPECT_EQ(read.records.deleted, 1);
  }
}

TEST(EpiInfoFile, TakesTheFirst240FieldsAndSaysWhichWereLeftOut) {
  std::vector<test::RecField> fields;
  for (int k = 1; k <= 242; ++k) fields.push_back({"F" + std::to_string(k), 1, 1});
  std::vector<std::string> values(242, "7");
  values[241] = "9";
  const Read read = read_all(test::rec_file(fields, {{values}}), "wide.rec");
  ASSERT_EQ(read.header.fields.size(), 240u);
  ASSERT_EQ(read.texts.size(), 1u);
  EXPECT_EQ(read.texts[0].back(), "7");
  ASSERT_EQ(read.header.notes.size(), 1u);
  EXPECT_THAT(read.header.notes[0].message, HasSubstr("F241, F242"));
  EXPECT_TRUE(read.header.notes[0].data_lost);
}

TEST(EpiInfoFile, ACutRecordKeepsTheWholeRecordsBeforeItAndSaysSo) {
  const std::string whole = test::rec_file(
      kRecFields, {{{"1", "1", "12.5", "85", ""}}, {{"2", "2", "9.1", "70.2", "01/01/2009"}}},
      false);
  const Read read = read_all(whole.substr(0, whole.size() - 12), "cut.rec");
  EXPECT_THAT(read.texts, ElementsAre(ElementsAre("1", "1", "12.5", "85", "")));
  ASSERT_EQ(read.records.notes.size(), 1u);
  EXPECT_TRUE(read.records.notes[0].data_lost);
  EXPECT_THAT(read.records.notes[0].message, HasSubstr("record 2 (line 8)"));
}

struct Refusal {
  const char* what;
  std::string bytes;
  const char* message;
};

TEST(EpiInfoFile, RefusesAHeaderThatIsCutOrNotOfTheFormatNamingTheLine) {
  const std::string whole = test::rec_file(kRecFields, {{{"1", "1", "12.5", "85", ""}}});
  // The first record (line 7) loses six of its 24 characters; the second record follows it.
  std::string damaged = test::rec_file(
      kRecFields, {{{"1", "1", "12.5", "85", "x"}}, {{"2", "1", "12.5", "85", "y"}}});
  std::size_t first_record = 0;
  for (int line = 1; line < 7; ++line) first_record = damaged.find("\r\n", first_record) + 2;
  damaged.erase(first_record + 4, 6);
  const Refusal cases[] = {
      {"empty", "", "survey.rec, line 1: the file is empty"},
      {"no number", "fields\r\n", "survey.rec, line 1: the first line does not begin"},
      {"cut in the field lines", whole.substr(0, 120),
       "survey.rec, line 4: the file ends inside its header"},
      {"fewer lines than fields", whole.substr(0, whole.find(" HEIGHT")),
       "survey.rec, line 5: the file ends inside its header: 5 fields announced, 3 described"},
      {"length not a number",
       std::string("1\r\n") + " NAME      " + " " + "   1   1 112  15   1   1" + "   x" +
           " 112\r\n",
       "survey.rec, line 2: the field length in characters 37 to 40 is not a number (\"   x\")"},
      {"a record line too short", damaged,
       "survey.rec, line 7: record 1 has 19 characters on this line where the field lengths give "
       "24"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT([&] { read_all(c.bytes, "survey.rec"); },
                ThrowsMessage<ImportError>(HasSubstr(c.message)));
  }
}

// ---- dBase III and IV ----

const std::vector<test::DbfField> kDbfFields = {
    {"ID", 'N', 4},       {"SEX", 'C', 1},   {"WEIGHT", 'N', 6, 2}, {"HEIGHT", 'F', 6, 1},
    {"SURVDATE", 'D', 8}, {"EDEMA", 'L', 1}, {"VILLAGE", 'C', 12}};

TEST(DbaseFile, ReadsEveryFieldTypeAndLeavesOutDeletedRecords) {
  const std::string bytes =
      test::dbf_file(kDbfFields, {{{"1", "m", "12.50", "85.0", "20080315", "F", "Ana Loma"}},
                                  {{"2", "f", "9.10", "70.2", "", "T", "Bo"}, true},
                                  {{"3", "2", "", "80.1", "", "?", " Cy"}}});
  const Read read = read_all(bytes, "survey.DBF");
  EXPECT_EQ(read.header.format, ImportFormat::dbase);
  EXPECT_THAT(names(read.header),
              ElementsAre("ID", "SEX", "WEIGHT", "HEIGHT", "SURVDATE", "EDEMA", "VILLAGE"));
  EXPECT_EQ(read.header.fields[0].start, 2);  // after the deletion mark
  EXPECT_EQ(read.header.fields[1].start, 6);
  EXPECT_EQ(read.header.fields[2].kind, FieldKind::number);
  EXPECT_EQ(read.header.fields[3].kind, FieldKind::number);
  EXPECT_EQ(read.header.fields[4].kind, FieldKind::date);
  EXPECT_EQ(read.header.fields[5].kind, FieldKind::logical);
  EXPECT_EQ(read.header.fields[6].kind, FieldKind::text);
  EXPECT_THAT(read.texts,
              ElementsAre(ElementsAre("1", "m", "12.50", "85.0", "20080315", "F", "Ana Loma"),
                          ElementsAre("3", "2", "", "80.1", "", "?", "Cy")));
  EXPECT_EQ(read.records.deleted, 1);
  EXPECT_TRUE(read.header.notes.empty());
  EXPECT_TRUE(read.records.notes.empty());
}

TEST(DbaseFile, AFileWithoutMemosReadsWithoutNotesAndMemoFieldsAreLeftOutWithANote) {
  std::vector<test::DbfField> with_memo = kDbfFields;
  with_memo.insert(with_memo.begin() + 2, {"NOTES", 'M', 10});
  const Read read =
      read_all(test::dbf_file(with_memo, {{{"1", "m", "         1", "12.5", "85", "", "", "A"}}}),
               "memo.dbf");
  EXPECT_THAT(names(read.header),
              ElementsAre("ID", "SEX", "WEIGHT", "HEIGHT", "SURVDATE", "EDEMA", "VILLAGE"));
  EXPECT_THAT(read.texts, ElementsAre(ElementsAre("1", "m", "12.5", "85", "", "", "A")));
  ASSERT_EQ(read.header.notes.size(), 1u);
  EXPECT_THAT(read.header.notes[0].message, HasSubstr("NOTES (type M)"));
  EXPECT_TRUE(read.header.notes[0].data_lost);

  const Read plain = read_all(test::dbf_file(kDbfFields, {{{"1"}}}, false), "plain.dbf");
  EXPECT_EQ(plain.texts.size(), 1u);
  EXPECT_FALSE(loses_data(plain.header.notes));
  EXPECT_FALSE(loses_data(plain.records.notes));
}

TEST(DbaseFile, ACutFileKeepsTheWholeRecordsAndSaysSo) {
  const std::string whole =
      test::dbf_file(kDbfFields, {{{"1", "m"}}, {{"2", "f"}}, {{"3", "f"}}}, false);
  const int record_length = 1 + 4 + 1 + 6 + 6 + 8 + 1 + 12;
  struct Case {
    std::size_t cut;
    std::size_t kept;
    const char* note;
  };
  const Case cases[] = {
      {whole.size() - 5, 2, "the file ends inside record 3 of the 3"},
      {whole.size() - record_length, 2, "the file ends after record 2 of the 3"},
  };
  for (const Case& c : cases) {
    const Read read = read_all(whole.substr(0, c.cut), "cut.dbf");
    EXPECT_EQ(read.texts.size(), c.kept);
    ASSERT_EQ(read.records.notes.size(), 1u);
    EXPECT_THAT(read.records.notes[0].message, HasSubstr(c.note));
    EXPECT_TRUE(read.records.notes[0].data_lost);
  }
}

// A header whose record count fell behind the records (written by a program that appended
// without updating it) must not cost the records after the count.
TEST(DbaseFile, RecordsBeyondTheHeadersCountAreReadAndSaid) {
  for (const bool end_of_file_byte : {true, false}) {
    std::string file =
        test::dbf_file(kDbfFields, {{{"1", "m"}}, {{"2", "f"}}, {{"3", "f"}}}, end_of_file_byte);
    file[4] = 1;  // the header counts one record of the three
    const Read read = read_all(file, "appended.dbf");
    EXPECT_EQ(read.texts.size(), 3u);
    ASSERT_EQ(read.records.notes.size(), 1u);
    EXPECT_THAT(read.records.notes[0].message,
                HasSubstr("the header announces 1 records, but 2 more follow"));
    EXPECT_FALSE(read.records.notes[0].data_lost);
  }
}

TEST(DbaseFile, RefusesAHeaderThatIsCutOrInconsistent) {
  const std::string whole = test::dbf_file(kDbfFields, {{{"1", "m"}}});
  std::string short_record = whole;
  short_record[10] = 5;  // record length 5: the fields do not fit
  short_record[11] = 0;
  std::string nameless = whole;
  nameless[32] = '\0';
  const Refusal cases[] = {
      {"shorter than 32 bytes", whole.substr(0, 20),
       "x.dbf, header: the file ends inside its header (20 bytes"},
      {"cut inside the descriptors", whole.substr(0, 100),
       "x.dbf, header: the file ends inside its header (100 bytes of 257)"},
      {"fields beyond the record", short_record, "x.dbf, header: the fields take 39 bytes"},
      {"a field without a name", nameless, "x.dbf, field 1: the field has no name"},
      {"not a dBase file", std::string(50, '\0'),
       "x.dbf, header: the header length 0 leaves no room"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT([&] { read_all(c.bytes, "x.dbf"); },
                ThrowsMessage<ImportError>(HasSubstr(c.message)));
  }
}

// ---- delimited text ----

TEST(DelimitedFile, FindsTheSeparatorAndReadsTheRecords) {
  struct Case {
    const char* what;
    std::string bytes;
    char separator;
  };
  const Case cases[] = {
      {"commas, quoted", "\"sex\",\"age\",\"note\"\n\"m\",12,\"a, b\"\n\n\"f\",,\"\"\n", ','},
      {"semicolons", "sex;age;note\r\nm;12;a, b\r\nf;;\r\n", ';'},
      {"tabs", "sex\tage\tnote\nm\t12\ta, b\nf\t\t\n", '\t'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Read read = read_all(c.bytes, "children.csv");
    EXPECT_EQ(read.header.separator, c.separator);
    EXPECT_THAT(names(read.header), ElementsAre("sex", "age", "note"));
    EXPECT_THAT(read.texts, ElementsAre(ElementsAre("m", "12", "a, b"), ElementsAre("f", "", "")));
  }
}

TEST(DelimitedFile, ConvertsUtf8ToWindows1252AndKeepsWindows1252AsItIs) {
  const Read utf8 = read_all(
      "\xEF\xBB\xBFnom,pr\xC3\xA9nom\nJos\xC3\xA9,\xC5\x81ukasz \xE2\x82\xAC\n", "phone.csv");
  EXPECT_TRUE(utf8.header.utf8);
  EXPECT_THAT(names(utf8.header), ElementsAre("nom", "pr\xE9nom"));
  EXPECT_THAT(utf8.texts, ElementsAre(ElementsAre("Jos\xE9", "?ukasz \x80")));
  ASSERT_EQ(utf8.records.notes.size(), 1u);
  EXPECT_THAT(utf8.records.notes[0].message, HasSubstr("1 characters have no Windows-1252 form"));

  const Read ansi = read_all("nom\nJos\xE9\n", "office.csv");
  EXPECT_FALSE(ansi.header.utf8);
  EXPECT_THAT(ansi.texts, ElementsAre(ElementsAre("Jos\xE9")));
}

TEST(DelimitedFile, NamesUnnamedColumnsAndSaysWhenValuesHaveNoName) {
  const Read read = read_all("a,,c,\n1,2,3\n4,5,6,7,8\n9\n", "x.csv");
  EXPECT_THAT(names(read.header), ElementsAre("a", "FIELD2", "c"));
  EXPECT_THAT(read.texts, ElementsAre(ElementsAre("1", "2", "3"), ElementsAre("4", "5", "6"),
                                      ElementsAre("9", "", "")));
  ASSERT_EQ(read.records.notes.size(), 1u);
  EXPECT_THAT(
      read.records.notes[0].message,
      HasSubstr("1 records have more fields than the header line names (the first on line 3)"));
  EXPECT_TRUE(read.records.notes[0].data_lost);
}

// A file cut short ends inside its last record: without a line end and short of fields. The
// whole records before it are kept and the note says data were lost. A last record with every
// field, or a short one ended by a line end, is whole.
TEST(DelimitedFile, ACutLastRecordIsLeftOutAndSaidSo) {
  const Read cut = read_all("sex,age,weight\nm,12,9.5\r\nf,3", "cut.csv");
  EXPECT_THAT(cut.texts, ElementsAre(ElementsAre("m", "12", "9.5")));
  ASSERT_EQ(cut.records.notes.size(), 1u);
  EXPECT_TRUE(cut.records.notes[0].data_lost);
  EXPECT_THAT(cut.records.notes[0].message,
              HasSubstr("the file ends inside the record on line 3 (2 of 3 fields, no line end); "
                        "the 1 whole records before it were read"));
  const Read quoted = read_all("sex,age,weight\n\"m\",12,9.5\n\"f\"", "cut.csv");
  EXPECT_EQ(quoted.texts.size(), 1u);
  EXPECT_TRUE(loses_data(quoted.records.notes));

  const Read whole = read_all("sex,age,weight\nm,12,9.5\nf,3,4", "whole.csv");
  EXPECT_EQ(whole.texts.size(), 2u);
  EXPECT_FALSE(loses_data(whole.records.notes));
  const Read short_line = read_all("sex,age,weight\nm,12,9.5\nf,3\n", "short.csv");
  EXPECT_THAT(short_line.texts.back(), ElementsAre("f", "3", ""));
  EXPECT_FALSE(loses_data(short_line.records.notes));
}

TEST(DelimitedFile, RefusesAFileWithoutHeaderOrWithAMalformedRecordNamingTheLine) {
  const Refusal cases[] = {
      {"empty", "", "x.csv, line 1: the file has no header line"},
      {"blank lines only", "\n\n", "x.csv, line 1: the file has no header line"},
      {"text after a closing quote", "a,b\n1,2\n\"3\"x,4\n",
       "x.csv, line 3: text after the closing quote"},
      {"a quote never closed", "a,b\n1,\"2\n3,4\n", "x.csv, line 2: a quoted field is not closed"},
      {"a spreadsheet's binary file", std::string("PK\x03\x04\0\0", 6),
       "x.csv, line 1: the file holds binary data"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT([&] { read_all(c.bytes, "x.csv"); },
                ThrowsMessage<ImportError>(HasSubstr(c.message)));
  }
}

// ---- the fuzzing corpora ----

TEST(ImportFile, ReplaysTheFuzzingCorporaWithoutAFault) {
  namespace fs = std::filesystem;
  const std::pair<const char*, const char*> corpora[] = {{"epi_info_import", "corpus.rec"},
                                                         {"dbase_import", "corpus.dbf"},
                                                         {"delimited_import", "corpus.csv"}};
  for (const auto& [folder, name] : corpora) {
    int files = 0;
    const fs::path corpus = fs::path(test::source_path("tests/fuzz/corpus")) / folder;
    for (const auto& item : fs::directory_iterator(corpus)) {
      SCOPED_TRACE(item.path().string());
      std::ifstream in(item.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      try {
        const Read read = read_all(bytes.str(), name);
        EXPECT_EQ(read.records.kept, static_cast<std::int64_t>(read.texts.size()));
        for (const auto& texts : read.texts) EXPECT_EQ(texts.size(), read.header.fields.size());
      } catch (const ImportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(std::string(name) + ", ", 0), 0u) << e.what();
      }
      ++files;
    }
    EXPECT_GT(files, 2) << folder;
  }
}

}  // namespace
}  // namespace olvar::formats
