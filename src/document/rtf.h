#pragma once
// The small, fixed RTF vocabulary every report is written in. Texts are 8-bit Windows-1252 and
// go into the document as they are (the plus-minus and section signs included), without escapes.
// Tables are tab-separated lines in the proportional font or space-aligned lines in Courier New;
// no RTF table rows are used. The closing brace is not part of a report's text:
// WriteReportDocument adds it.
//
// A control word runs until the first character that is neither a letter nor a digit, and one
// blank ending it is swallowed: "\par Total" starts a paragraph with "Total", while "\parTotal"
// is an unknown word that RTF readers drop together with the text. Put a blank after a control
// word that is followed by text, as the headers and the fixed-width pair do.

#include <string>
#include <string_view>

namespace olvar::document::rtf {

// Headers: fonts, A4 paper (11906 x 16838 twips), paragraph reset, title size and bold on. The
// report appends its bold title next, then "\b0\fs24\par" or similar.

// Reports with fixed-width tables (plausibility report): font 3 is Courier New.
inline constexpr std::string_view kHeaderFixedWidthTables =
    R"({\rtf1{\fonttbl{\f0\fnil Times New Roman;}{\f3\fmodern Courier New;}}\paperw11906\paperh16838\pard\f0\fs30\b )";
// 2 cm margins (training reports, printed cluster table).
inline constexpr std::string_view kHeaderWithMargins =
    R"({\rtf1{\fonttbl{\f0\fnil Times New Roman;}{\f40\froman\fcharset162\fprq2 Times New Roman Tur;}}\paperw11906\paperh16838\marglsxn1133\margrsxn1133\margtsxn1133\margbsxn1133\pard\f0\fs30\b )";
// No margins (mortality plausibility report, random number table).
inline constexpr std::string_view kHeaderWithoutMargins =
    R"({\rtf1{\fonttbl{\f0\fnil Times New Roman;}{\f40\froman\fcharset162\fprq2 Times New Roman Tur;}}\paperw11906\paperh16838\pard\f0\fs30\b )";
// Minimal (double-entry check).
inline constexpr std::string_view kHeaderMinimal =
    R"({\rtf1{\fonttbl{\f0\fnil Times New Roman;}}\paperw11906\paperh16838\pard\f0\fs30\b )";

inline constexpr std::string_view kParagraph = R"(\par)";
inline constexpr std::string_view kBlankLine = R"(\par\par)";
inline constexpr std::string_view kBoldOn = R"(\b)";
inline constexpr std::string_view kBoldOff = R"(\b0)";
inline constexpr std::string_view kTab = R"(\tab)";
inline constexpr std::string_view kResetParagraph = R"(\pard)";

// Font sizes in half points.
inline constexpr std::string_view kTitleSize = R"(\fs30)";       // 15 pt, set by the headers
inline constexpr std::string_view kBodySize = R"(\fs24)";        // 12 pt
inline constexpr std::string_view kSubHeadingSize = R"(\fs28)";  // 14 pt
inline constexpr std::string_view kSmallTableSize = R"(\fs16)";  // 8 pt
inline constexpr std::string_view kTableSize = R"(\fs20)";       // 10 pt

// A block of space-aligned lines in Courier New (font 3 of kHeaderFixedWidthTables), 8 pt.
inline constexpr std::string_view kFixedWidthOn = R"(\f3\fs16\lang2057 )";
inline constexpr std::string_view kFixedWidthOff = R"(\plain\lang1031 )";

// Closes the document; added by WriteReportDocument, never by a report.
inline constexpr std::string_view kDocumentEnd = "}";

// A centred tab stop at a position in twips: centred_tab_stop(2700) gives "\tqc\tx2700".
inline std::string centred_tab_stop(int twips) { return R"(\tqc\tx)" + std::to_string(twips); }

}  // namespace olvar::document::rtf
