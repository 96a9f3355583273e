#pragma once
// Reading and writing the RTF the program's reports are made of, for the report editor window.
// The reader understands the reports' own vocabulary (rtf.h) and the usual character formatting
// of a word processor that saved the file again: paragraphs (\par, \line), tabs, bold, italic,
// underline, font sizes, a fixed-width font, \plain and \pard, groups, 8-bit text and \'hh
// escapes. Destinations it has no use for (font and colour tables, style sheets, document
// information, {\* ...}) are skipped with their contents. Other control words are dropped.
//
// A document is a list of runs of equally formatted text. Paragraph ends are "\n" and tabs "\t"
// in the text; the text is Windows-1252 as everywhere in the core.

#include <string>
#include <string_view>
#include <vector>

namespace olvar::document {

struct RtfRun {
  std::string text;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool fixed_width = false;  // a font of the "modern" family or a Courier face
  int half_points = 24;      // font size; \fs24 is 12 points, RTF's own default

  friend bool operator==(const RtfRun&, const RtfRun&) = default;
};

// The runs of an RTF text, neighbours of the same format joined. Unbalanced braces and a missing
// "{\rtf" are tolerated: the reader takes what it can, since a report cut short should still
// show its text.
std::vector<RtfRun> parse_rtf(std::string_view rtf);

// A complete RTF document of the runs, with Times New Roman as font 0 and Courier New as font 3
// like the reports; bytes 0x80 and up are written as \'hh escapes, so the file is plain ASCII.
std::string write_rtf(const std::vector<RtfRun>& runs);

// The text of the runs without formatting.
std::string plain_text(const std::vector<RtfRun>& runs);

}  // namespace olvar::document
