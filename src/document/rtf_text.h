#pragma once
// Reading and writing the RTF the program's reports are made of, for the report editor window.
// The reader understands the reports' own vocabulary (rtf.h) and the usual formatting of a word
// processor that saved the file again: paragraphs (\par, \line), tabs, bold, italic, underline,
// font sizes and names, \plain and \pard, paragraph alignment, indents and bullets (the \pn
// bullets of older word processors and \ls lists), groups, 8-bit text and \'hh escapes.
// Destinations it has no use for (colour tables, style sheets, document information, list
// tables, the text of list numbers, {\* ...}) are skipped with their contents. Other control
// words are dropped.
//
// A document is a list of runs of equally formatted text and one paragraph format per paragraph.
// Paragraph ends are "\n" and tabs "\t" in the text; the text is Windows-1252 as everywhere in
// the core.

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
  // The face name; empty for the reports' own faces (Courier New when fixed_width, else Times
  // New Roman), so that a report reads back as it was written.
  std::string font;

  friend bool operator==(const RtfRun&, const RtfRun&) = default;
};

enum class RtfAlignment { left, centre, right, justified };

// The format of one paragraph; indents in twips (a twentieth of a point), as RTF has them.
struct RtfParagraph {
  RtfAlignment alignment = RtfAlignment::left;
  int first_indent = 0;  // \fi: the first line, from the left indent (negative: hanging)
  int left_indent = 0;   // \li
  int right_indent = 0;  // \ri
  bool bullet = false;

  friend bool operator==(const RtfParagraph&, const RtfParagraph&) = default;
};

struct RtfDocument {
  std::vector<RtfRun> runs;
  // One per paragraph of the runs' text (its "\n" count + 1); missing ones are plain.
  std::vector<RtfParagraph> paragraphs;

  friend bool operator==(const RtfDocument&, const RtfDocument&) = default;
};

// The runs of an RTF text, neighbours of the same format joined. Unbalanced braces and a missing
// "{\rtf" are tolerated: the reader takes what it can, since a report cut short should still
// show its text.
RtfDocument read_rtf_document(std::string_view rtf);
// The runs alone.
std::vector<RtfRun> parse_rtf(std::string_view rtf);

// A complete RTF document, with Times New Roman as font 0 and Courier New as font 3 like the
// reports and every other face after them; bytes 0x80 and up are written as \'hh escapes, so the
// file is plain ASCII.
std::string write_rtf(const RtfDocument& document);
std::string write_rtf(const std::vector<RtfRun>& runs);  // every paragraph plain

// The text of the runs without formatting.
std::string plain_text(const std::vector<RtfRun>& runs);

}  // namespace olvar::document
