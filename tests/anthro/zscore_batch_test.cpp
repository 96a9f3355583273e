#include "anthro/zscore_batch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "anthro/zscore_engine.h"
#include "core/text_conversions.h"
#include "support/test_paths.h"

namespace olvar::anthro {
namespace {

using ::testing::HasSubstr;

const WhoReference& who() {
  static const WhoReference table = WhoReference::load(test::build_data_path(kWhoTableFileName));
  return table;
}

std::string run(const std::string& input, Reference reference = Reference::who2006,
                ZscoreBatchSummary* summary = nullptr) {
  std::istringstream in(input);
  std::ostringstream out;
  const ZscoreBatchSummary s = run_zscore_batch(in, out, reference, who());
  if (summary) *summary = s;
  return out.str();
}

TEST(ZscoreBatch, FindsColumnsByNameAndPassesTheRestThrough) {
  // Same boy as the row evaluation test: 365.25 days, 9.6 kg, 75.7 cm (WAZ -0.044). Columns in
  // another order, upper case, with a quoted comma in a pass-through column and CR LF ends.
  const std::string out =
      run("Note,WEIGHT_KG,Height_cm,AGE_DAYS,Sex,id\r\n"
          "\"a, b\",9.6,75.7,365.25,M,17\r\n");
  EXPECT_EQ(out,
            "Note,WEIGHT_KG,Height_cm,AGE_DAYS,Sex,id,waz,haz,whz,baz,muacz\n"
            "\"a, b\",9.6,75.7,365.25,M,17,-0.044,-0.016,-0.055,-0.035,\n");
}

TEST(ZscoreBatch, RowEvaluationAndTheBatchAgree) {
  // The same child through the engine with the units row evaluation gives it.
  Measurement m;
  m.sex = 'f';
  m.age_days = 800;
  m.weight_g = 11200;
  m.height_cm_x1000 = 85000;
  m.position = 'l';
  m.oedema = 'n';
  m.muac_mm_x100 = 15000;
  const AnthroResult r = evaluate(m, Reference::who2006, who());
  const std::string out =
      run("sex,age_days,weight_kg,height_cm,measure,oedema,muac_mm\n"
          "2,800,11.2,85,l,n,150\n");
  auto text = [](const IndexResult& i) {
    return std::string(core::trim_spaces(core::format_fixed(i.z, 4, 3)));
  };
  EXPECT_THAT(out, HasSubstr("2,800,11.2,85,l,n,150," + text(r.waz) + "," + text(r.haz) + "," +
                             text(r.whz) + "," + text(r.baz) + "," + text(r.muacz) + "\n"));
}

TEST(ZscoreBatch, FieldsThatCannotBeReadLeaveTheRowWithoutZscores) {
  ZscoreBatchSummary summary;
  const std::string out =
      run("sex,age_days,weight_kg,height_cm,measure,oedema\n"
          "m,400,abc,75,,\n"     // weight not a number
          "m,4x0,9,75,,\n"       // age not a number: no index, not even WHZ
          "x,400,9,75,,\n"       // sex unknown
          "m,400,9,75,s,\n"      // position unknown
          "m,400,9,75,,maybe\n"  // oedema unknown
          "m,,9,75,,\n"          // age missing: WHZ only
          "\n"                   // blank lines are not rows
          "f,400,,,,\n",         // nothing measured
          Reference::who2006, &summary);
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);
  for (int i = 0; i < 5; ++i) {
    std::getline(lines, line);
    EXPECT_THAT(line, ::testing::EndsWith(",,,,,")) << line;
  }
  std::getline(lines, line);
  EXPECT_THAT(line, ::testing::MatchesRegex("m,,9,75,,,,,-?[0-9]+\\.[0-9]{3},,"));
  EXPECT_EQ(summary.rows, 7);
  EXPECT_EQ(summary.rows_without_zscore, 6);
  EXPECT_EQ(summary.unreadable_fields.at("weight_kg not a number"), 1);
  EXPECT_EQ(summary.unreadable_fields.at("age_days not a number"), 1);
  EXPECT_EQ(summary.unreadable_fields.at("sex not m, f, 1 or 2"), 1);
  EXPECT_EQ(summary.unreadable_fields.at("measure not l or h"), 1);
  EXPECT_EQ(summary.unreadable_fields.at("oedema not y or n"), 1);
  EXPECT_THAT(summary.describe(), HasSubstr("7 rows; 6 without any z-score"));
}

// A record whose fields cannot be matched to the header's columns never gets z-scores under the
// wrong headers: it is left out, and its line is named.
TEST(ZscoreBatch, RecordsWithAnotherNumberOfFieldsAreLeftOutByLine) {
  const std::string header = "sex,age_days,weight_kg,height_cm,muac_mm\n";
  const std::string good = "m,400,9.6,75.7,140\n";
  const std::string one = run(header + good);
  const std::string good_out = one.substr(one.find('\n') + 1);
  const struct {
    const char* what;
    std::string rows;
    std::size_t fields;  // of the left-out record, on line 3
  } cases[] = {
      {"a field more (an unquoted decimal comma)", good + "m,400,9,6,75.7,140\n" + good, 6},
      {"muac_mm missing", good + "m,400,9.6,75.7\n" + good, 4},
      {"a trailing separator", good + "m,400,9.6,75.7,140,\n" + good, 6},
      {"a cut last record", good + "m,400,9", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZscoreBatchSummary summary;
    const std::string out = run(header + c.rows, Reference::who2006, &summary);
    const std::size_t kept = c.rows.ends_with("9") ? 1 : 2;
    std::string expected = "sex,age_days,weight_kg,height_cm,muac_mm,waz,haz,whz,baz,muacz\n";
    for (std::size_t k = 0; k < kept; ++k) expected += good_out;
    EXPECT_EQ(out, expected);
    EXPECT_EQ(summary.rows, static_cast<std::int64_t>(kept));
    EXPECT_EQ(summary.rows_skipped, 1);
    ASSERT_EQ(summary.skipped.size(), 1u);
    EXPECT_EQ(summary.skipped[0].line, 3);
    EXPECT_EQ(summary.skipped[0].fields, c.fields);
    EXPECT_THAT(summary.skipped_lines(),
                ::testing::ElementsAre("line 3: " + std::to_string(c.fields) +
                                       " fields where the header has 5; the record was left out"));
    EXPECT_THAT(summary.describe(), HasSubstr("1 records left out"));
  }
}

// Across the blocks and threads of a large file the listed lines are the first ones in input
// order and the count covers every one.
TEST(ZscoreBatch, LeftOutRecordsOfALargeFileAreListedInInputOrder) {
  std::string input = "sex,weight_kg,height_cm\n";
  constexpr int kRows = 200000;
  for (int i = 1; i <= kRows; ++i) input += i % 1000 == 0 ? "m,9\n" : "m,9,75\n";
  ZscoreBatchSummary summary;
  run(input, Reference::who2006, &summary);
  EXPECT_EQ(summary.rows_skipped, kRows / 1000);
  EXPECT_EQ(summary.rows, kRows - kRows / 1000);
  ASSERT_EQ(summary.skipped.size(), ZscoreBatchSummary::kListedSkips);
  for (std::size_t k = 0; k < summary.skipped.size(); ++k) {
    EXPECT_EQ(summary.skipped[k].line, static_cast<std::int64_t>(k + 1) * 1000 + 1);
  }
  const std::vector<std::string> lines = summary.skipped_lines();
  EXPECT_EQ(lines.back(), "and 180 more records left out for their number of fields");
}

TEST(ZscoreBatch, NchsAddsPercentOfMedian) {
  // A girl at birth of 3.228 kg: the NCHS median P50 is 3.22751 kg, so 100 x 3.228 / 3.22751
  // = 100.0152 % of median, written 100.02.
  const std::string out =
      run("sex,age_days,weight_kg,height_cm\nf,0,3.228,49.9\n", Reference::nchs1977);
  EXPECT_THAT(out, HasSubstr("waz,haz,whz,baz,muacz,wam,ham,whm\n"));
  EXPECT_THAT(out, ::testing::MatchesRegex(".*\nf,0,3.228,49.9,0.001,[^,]*,[^,]*,,,100.02,.*\n"));
}

TEST(ZscoreBatch, RefusesInputWithoutTheRequiredColumns) {
  for (const char* missing : {"sex", "weight_kg", "height_cm"}) {
    std::string header = "sex,weight_kg,height_cm";
    header.erase(header.find(missing), std::string(missing).size());
    EXPECT_THAT([&] { run(header + "\n"); },
                ::testing::ThrowsMessage<ZscoreBatchError>(HasSubstr(missing)));
  }
  EXPECT_THROW(run(""), ZscoreBatchError);
}

TEST(ZscoreBatch, SurvivesArbitraryBytes) {
  std::string input = "sex,age_days,weight_kg,height_cm,muac_mm\n";
  for (int i = 0; i < 20000; ++i) input.push_back(static_cast<char>((i * 7919 + 13) % 256));
  input += "\nm,400,9,75,140\n";
  ZscoreBatchSummary summary;
  const std::string out = run(input, Reference::who2006, &summary);
  // Most of the noise has another number of fields than the header: left out, but counted.
  EXPECT_GT(summary.rows + summary.rows_skipped, 1);
  EXPECT_THAT(out, HasSubstr("m,400,9,75,140,"));
}

// A file larger than the blocks the batch reads and shares among threads: every line comes out
// once, in input order, with the z-scores it has on its own; blank lines, CR LF ends, a bad field
// and a line longer than a block are counted as in a small file.
TEST(ZscoreBatch, LargeInputKeepsItsOrderAcrossBlocksAndThreads) {
  const std::string header = "id,sex,age_days,weight_kg,height_cm,note";
  const std::string rows[] = {"m,400,9.1,75.2,", "f,900,11.4,86.0,", "m,100,5.2,58.3,", "f,x,9,75,",
                              "m,1500,15.0,101.5,"};
  std::string single[5];
  for (int k = 0; k < 5; ++k) {
    const std::string out = run(header + "\n0," + rows[k] + "\n");
    single[k] = out.substr(out.find('\n') + 1 + 2);  // the results after "0,"
  }
  std::string input = header + "\n";
  std::string expected = run(header + "\n").substr(0, run(header + "\n").find('\n') + 1);
  constexpr int kRows = 120000;
  for (int i = 1; i <= kRows; ++i) {
    const int k = i % 5;
    std::string note = i == kRows / 2 ? std::string(3 << 20, 'n') : "";  // longer than a block
    input += std::to_string(i) + "," + rows[k] + note + (i % 3 ? "\n" : "\r\n");
    if (i % 1000 == 0) input += "\n";
    expected += std::to_string(i) + "," + rows[k] + note + single[k].substr(rows[k].size());
  }
  ZscoreBatchSummary summary;
  const std::string out = run(input, Reference::who2006, &summary);
  EXPECT_EQ(summary.rows, kRows);
  EXPECT_EQ(summary.rows_without_zscore, kRows / 5);
  EXPECT_EQ(summary.unreadable_fields.at("age_days not a number"), kRows / 5);
  EXPECT_TRUE(out == expected)
      << "output differs from line "
      << std::count(out.begin(),
                    std::mismatch(out.begin(), out.end(), expected.begin(), expected.end()).first,
                    '\n');
}

// The file is cut into pieces read on different threads; a cut may only fall where the reader
// itself ends a record. Notes with quoted line breaks, doubled quotes and separators, a quote
// inside an unquoted field and lone CR line ends, repeated past several blocks, come out as in a
// file of one record; an error deep in the file names its line of the whole file.
TEST(ZscoreBatch, PiecesAreCutOnlyWhereRecordsEnd) {
  const std::string header = "id,sex,age_days,weight_kg,height_cm,note";
  struct Shape {
    std::string row;       // after the id, without its line end
    std::string line_end;  // as written
  };
  const Shape shapes[] = {{"m,400,9.1,75.2,\"two\nlines, \"\"quoted\"\"\r\nend\"", "\n"},
                          {"f,900,11.4,86.0,5'3\"", "\r"},
                          {"m,100,5.2,58.3,\"\"", "\r\n"},
                          {"f,1200,12.5,90.1,\"\n\"", "\r"}};
  std::string results[4];  // what follows the row in the output
  for (int k = 0; k < 4; ++k) {
    const std::string out = run(header + "\n0," + shapes[k].row + "\n");
    results[k] = out.substr(out.find('\n') + 1 + 2 + shapes[k].row.size());
  }
  std::string input = header + "\n";
  std::string expected = header + ",waz,haz,whz,baz,muacz\n";
  int line = 2;
  int error_line = 0;
  std::string broken_input;
  constexpr int kRows = 60000;  // past two of the blocks the file is read in
  for (int i = 1; i <= kRows; ++i) {
    const Shape& shape = shapes[i % 4];
    const std::string record = std::to_string(i) + "," + shape.row;
    input += record + shape.line_end;
    expected += record + results[i % 4];
    if (i == kRows - 7) {
      error_line = line;
      broken_input = input.substr(0, input.size() - record.size() - shape.line_end.size()) +
                     std::to_string(i) + ",m,400,9.1,75.2,\"closed\" and more\n";
    }
    line += 1 + static_cast<int>(std::count(shape.row.begin(), shape.row.end(), '\n'));
  }
  EXPECT_TRUE(run(input) == expected);
  EXPECT_THAT([&] { run(broken_input); },
              ::testing::ThrowsMessage<ZscoreBatchError>(HasSubstr(
                  "line " + std::to_string(error_line) + ": text after the closing quote")));
}

}  // namespace
}  // namespace olvar::anthro
