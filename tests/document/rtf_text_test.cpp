#include "document/rtf_text.h"

#include <gtest/gtest.h>

#include <string>

#include "document/rtf.h"

namespace olvar::document {
namespace {

RtfRun run(std::string text, bool bold = false, int half_points = 24, bool fixed = false) {
  RtfRun r;
  r.text = std::move(text);
  r.bold = bold;
  r.half_points = half_points;
  r.fixed_width = fixed;
  return r;
}

TEST(RtfText, ReadsTheReportVocabulary) {
  // A report as the reports write it: header (bold 15 pt title), body, fixed-width block, end.
  std::string rtf(rtf::kHeaderFixedWidthTables);
  rtf += "Title\\b0\\fs24\\par Total\\tab 12\\par ";
  rtf += rtf::kFixedWidthOn;
  rtf += "a  b\\par ";
  rtf += rtf::kFixedWidthOff;
  rtf += "\xB1 end}";
  const std::vector<RtfRun> runs = parse_rtf(rtf);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0], run("Title", true, 30));
  EXPECT_EQ(runs[1], run("\nTotal\t12\n"));
  EXPECT_EQ(runs[2], run("a  b\n", false, 16, true));
  EXPECT_EQ(runs[3], run("\xB1 end"));  // \plain: back to 12 pt, proportional
}

TEST(RtfText, GroupsRestoreTheFormatAndDestinationsAreSkipped) {
  const std::string rtf =
      "{\\rtf1{\\colortbl;\\red0;}{\\*\\generator Writer;}{\\info{\\title T}}"
      "a{\\b b}c\\'e9\\\\\\{\\}\\u8364?\\i d\\i0 \\ul e\\ulnone}";
  const std::vector<RtfRun> runs = parse_rtf(rtf);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[0].text, "a");
  EXPECT_EQ(runs[1], run("b", true));
  // \u8364 (the euro sign) has no Latin-1 byte: "?" and its fallback character is dropped.
  EXPECT_EQ(runs[2].text, "c\xE9\\{}?");
  EXPECT_TRUE(runs[3].italic);
  EXPECT_TRUE(runs[4].underline);
}

TEST(RtfText, ControlWordSwallowsOneBlankOnly) {
  EXPECT_EQ(plain_text(parse_rtf("{\\rtf1 x\\par  y}")), "x\n y");
  EXPECT_EQ(plain_text(parse_rtf("{\\rtf1 x\\tab\\tab y}")), "x\t\ty");
}

TEST(RtfText, DamagedInputGivesWhatCanBeRead) {
  EXPECT_EQ(plain_text(parse_rtf("{\\rtf1 cut short\\")), "cut short");
  EXPECT_EQ(plain_text(parse_rtf("}}plain{")), "plain");
  // A cut-off hex escape is no character; what follows it stays text.
  EXPECT_EQ(plain_text(parse_rtf("\\'4")), "4");
  EXPECT_EQ(plain_text(parse_rtf("a\\'zz")), "azz");
  EXPECT_TRUE(parse_rtf("").empty());
}

TEST(RtfText, WrittenDocumentReadsBackTheSame) {
  std::vector<RtfRun> runs = {run("Title", true, 30), run("\nA\t{b}\\ \xE9\x80\n"),
                              run("fixed  cols\n", false, 16, true)};
  runs.push_back(run("x"));
  runs.back().italic = true;
  runs.back().underline = true;
  const std::string rtf = write_rtf(runs);
  for (const char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_EQ(parse_rtf(rtf), runs);
}

}  // namespace
}  // namespace olvar::document
