#include "document/rtf_text.h"

#include <gtest/gtest.h>

#include <string>

#include "document/rtf.h"

namespace olvar::document {
void PrintTo(const RtfRun& r, std::ostream* os) {
  *os << "{" << r.text << "|" << r.bold << r.italic << r.underline << r.fixed_width << "|"
      << r.half_points << "|" << r.font << "}";
}
void PrintTo(const RtfParagraph& p, std::ostream* os) {
  *os << "{" << static_cast<int>(p.alignment) << "," << p.first_indent << "," << p.left_indent
      << "," << p.right_indent << "," << p.bullet << "}";
}
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

TEST(RtfText, ParagraphFormatsAndFaceNamesReadBackTheSame) {
  RtfDocument document;
  document.runs = {run("Centred\nRight\nHanging\nfirst\nsecond\n"), run("Arial", true),
                   run("\nmono "), run("tail")};
  document.runs[1].font = "Arial";
  document.runs[2].font = "DejaVu Sans Mono";
  document.runs[2].fixed_width = true;
  document.runs[3].font = "Caf\xE9 {Serif}";
  RtfParagraph centred, right, hanging, bullet, plain;
  centred.alignment = RtfAlignment::centre;
  right.alignment = RtfAlignment::right;
  right.right_indent = 567;
  hanging.first_indent = -360;
  hanging.left_indent = 720;
  bullet.bullet = true;
  bullet.left_indent = 360;
  RtfParagraph justified_bullet = bullet;
  justified_bullet.alignment = RtfAlignment::justified;
  // Two bullets in a row share their words; a plain paragraph between formats ends them.
  document.paragraphs = {centred, right, hanging, bullet, bullet, plain, justified_bullet};
  const std::string rtf = write_rtf(document);
  for (const char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  const RtfDocument read = read_rtf_document(rtf);
  EXPECT_EQ(read.runs, document.runs);
  EXPECT_EQ(read.paragraphs, document.paragraphs);
}

TEST(RtfText, ReadsParagraphsAndFacesAsWordProcessorsWriteThem) {
  struct Case {
    const char* name;
    std::string rtf;
    std::vector<RtfParagraph> paragraphs;
  };
  RtfParagraph bullet_hanging;
  bullet_hanging.bullet = true;
  bullet_hanging.first_indent = -720;
  bullet_hanging.left_indent = 720;
  RtfParagraph centred;
  centred.alignment = RtfAlignment::centre;
  RtfParagraph list;
  list.bullet = true;
  const Case cases[] = {
      // Older bullets: the bullet's own text is no text of the document.
      {"pn bullets",
       "{\\rtf1{\\fonttbl{\\f1\\fnil\\fcharset2 Symbol;}}{\\pntext\\f1\\'B7\\tab}"
       "{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720 one\\par "
       "{\\pntext\\f1\\'B7\\tab}two\\par\\pard three}",
       {bullet_hanging, bullet_hanging, {}}},
      {"ls lists", "{\\rtf1{\\listtext\\'95\\tab}\\ls1 one\\par\\pard two}", {list, {}}},
      // Paragraph formats belong to their group, like character formats.
      {"grouped", "{\\rtf1{\\qc A\\par}B}", {centred, {}}},
  };
  for (const Case& c : cases) {
    const RtfDocument read = read_rtf_document(c.rtf);
    EXPECT_EQ(read.paragraphs, c.paragraphs) << c.name;
    EXPECT_EQ(plain_text(read.runs).find('\t'), std::string::npos) << c.name;
  }
  // Face names with an alternative name and a panose group, in braces and without.
  const std::vector<RtfRun> runs = parse_rtf(
      "{\\rtf1{\\fonttbl{\\f0\\froman{\\*\\panose 02020603050405020304}Times New Roman"
      "{\\*\\falt Times};}\\f1\\fswiss Arial;\\f2\\fmodern Lucida Console;}"
      "\\f0 a\\f1 b\\f2 c}");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].font, "");  // the reports' own face
  EXPECT_EQ(runs[1].font, "Arial");
  EXPECT_EQ(runs[2].font, "Lucida Console");
  EXPECT_TRUE(runs[2].fixed_width);
}

}  // namespace
}  // namespace olvar::document
