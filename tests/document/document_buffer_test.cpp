#include "document/document_buffer.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_folder.h"

namespace olvar::document {
namespace {

struct Step {
  enum Kind { take, cut, insert } kind;
  std::string_view text;   // the marker, or the text inserted
  std::size_t length = 0;  // for take
};

struct Case {
  const char* what;
  const char* start;
  std::vector<Step> steps;
  const char* expected;
  std::size_t expected_position;
};

// Each expected text is worked out by hand from the marker positions.
const std::vector<Case> kCases = {
    {"a marker is replaced by the inserted text",
     "Survey of #01 district",
     {{Step::take, "#01", 3}, {Step::insert, "Kassala"}},
     "Survey of Kassala district",
     10},
    {"the length deleted need not be the marker's length",
     "ab#800XYZcd",
     {{Step::take, "#800", 7}},
     "abcd",
     2},
    {"a length beyond the end deletes to the end", "ab#9", {{Step::take, "#9", 10}}, "ab", 2},
    {"only the first occurrence is taken",
     "#01-#01",
     {{Step::take, "#01", 3}, {Step::insert, "A"}},
     "A-#01",
     0},
    {"an absent marker deletes nothing and inserts at the start",
     "abc",
     {{Step::take, "#02", 3}, {Step::insert, "X"}},
     "Xabc",
     0},
    {"an absent marker moves an earlier position back to the start",
     "ab#01cd",
     {{Step::take, "#01", 3}, {Step::take, "#77", 3}, {Step::insert, "X"}},
     "Xabcd",
     0},
    {"insert leaves the position, so a second insert lands in front",
     "a#01b",
     {{Step::take, "#01", 3}, {Step::insert, "1"}, {Step::insert, "2"}},
     "a21b",
     1},
    {"cut to marker drops the template text up to the marker",
     "Head#800 old text #900Tail",
     {{Step::take, "#800", 4}, {Step::cut, "#900"}, {Step::insert, "new "}},
     "Headnew #900Tail",
     4},
    {"cut to an absent marker deletes nothing",
     "Head#800 old",
     {{Step::take, "#800", 4}, {Step::cut, "#900"}},
     "Head old",
     4},
    {"cut does nothing when the marker's first occurrence lies before the position",
     "#900 x#800 y#900",
     {{Step::take, "#800", 4}, {Step::cut, "#900"}},
     "#900 x y#900",
     6},
    {"cut to a marker right at the position deletes nothing",
     "a#1#2b",
     {{Step::take, "#1", 2}, {Step::cut, "#2"}},
     "a#2b",
     1},
    {"115mm style markers work like the numbered ones",
     "width 115mm, height 115mm",
     {{Step::take, "115mm", 5}, {Step::insert, "120mm"}},
     "width 120mm, height 115mm",
     6},
};

TEST(DocumentBuffer, TemplateOperationsFollowTheMarkers) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    DocumentBuffer buffer(c.start);
    for (const Step& step : c.steps) {
      switch (step.kind) {
        case Step::take:
          buffer.take_marker(step.text, step.length);
          break;
        case Step::cut:
          buffer.cut_to_marker(step.text);
          break;
        case Step::insert:
          buffer.insert(step.text);
          break;
      }
    }
    EXPECT_EQ(buffer.text(), c.expected);
    EXPECT_EQ(buffer.insertion_position(), c.expected_position);
  }
}

TEST(DocumentBuffer, ClearAndAssignStartOverAtTheBeginning) {
  DocumentBuffer buffer("abc#01def");
  buffer.take_marker("#01", 3);
  buffer.clear();
  EXPECT_EQ(buffer.insertion_position(), 0u);
  buffer << "x"
         << "y";
  buffer.insert(">");
  EXPECT_EQ(buffer.text(), ">xy");

  buffer.take_marker("y", 1);
  buffer.assign("new template");
  EXPECT_EQ(buffer.insertion_position(), 0u);
  buffer.insert("1 ");
  EXPECT_EQ(buffer.text(), "1 new template");
}

TEST(RtfVocabulary, EveryHeaderOpensOneGroupThatTheDocumentEndCloses) {
  for (std::string_view header : {rtf::kHeaderFixedWidthTables, rtf::kHeaderWithMargins,
                                  rtf::kHeaderWithoutMargins, rtf::kHeaderMinimal}) {
    SCOPED_TRACE(header);
    EXPECT_TRUE(header.starts_with(R"({\rtf1{\fonttbl{\f0\fnil Times New Roman;})"));
    EXPECT_NE(header.find(R"(\paperw11906\paperh16838)"), std::string_view::npos);  // A4
    EXPECT_TRUE(header.ends_with(R"(\pard\f0\fs30\b )"));  // the bold title follows
    int depth = 0;
    for (char c : header) depth += c == '{' ? 1 : c == '}' ? -1 : 0;
    EXPECT_EQ(depth, 1);
  }
  EXPECT_EQ(rtf::kDocumentEnd, "}");
  EXPECT_EQ(rtf::centred_tab_stop(2700) + rtf::centred_tab_stop(5700), R"(\tqc\tx2700\tqc\tx5700)");
}

TEST(ReadTemplate, JoinsLinesOrKeepsThemAsTheTemplateRequires) {
  test::TempFolder folder;
  // CR LF, LF and a lone CR all end lines; 0xB1 (plus-minus in Windows-1252) stays a byte.
  const std::string bytes = "{\\rtf1 a}\r\n#01\nb\xB1\rc";
  const auto file = folder.write("report.rtf", bytes);

  EXPECT_EQ(read_template(file, TemplateReading::joined_lines),
            "{\\rtf1 a}#01b\xB1"
            "c");
  EXPECT_EQ(read_template(file, TemplateReading::verbatim), bytes);
  EXPECT_EQ(read_template(folder / "missing.rtf", TemplateReading::joined_lines), std::nullopt);
}

}  // namespace
}  // namespace olvar::document
