#include "document/rtf_text.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <optional>

namespace olvar::document {

namespace {

// The reports' own faces: a run in one of them names no font.
constexpr std::string_view kProportionalFace = "Times New Roman";
constexpr std::string_view kFixedWidthFace = "Courier New";
constexpr int kProportionalFont = 0;
constexpr int kFixedWidthFont = 3;

// What a group keeps and restores: RTF scopes character and paragraph formats by groups.
struct CharacterState {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = 0;
  int half_points = 24;
  bool skip = false;  // inside a destination whose text is not document text
  bool font_table = false;
  bool font_detail = false;  // a {\* ...} group inside a font entry (alternative name, panose)
  int unicode_skip = 1;      // \ucN: characters that follow a \u as its fallback
  RtfParagraph paragraph;
};

struct FontEntry {
  std::string name;
  bool fixed_width = false;
};

struct ControlWord {
  std::string word;
  std::optional<int> parameter;
};

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Reader {
 public:
  explicit Reader(std::string_view rtf) : rtf_(rtf) {}

  RtfDocument read() {
    CharacterState state;
    int pending_fallback = 0;  // characters still to drop after a \u
    while (pos_ < rtf_.size()) {
      const char c = rtf_[pos_];
      if (c == '{') {
        ++pos_;
        stack_.push_back(state);
        // "{\*\destination ...}": ignorable, whatever the destination.
        if (rtf_.substr(pos_, 2) == "\\*") {
          state.skip = true;
          state.font_detail = state.font_table;
        }
        continue;
      }
      if (c == '}') {
        ++pos_;
        if (state.font_table && !state.font_detail) finish_font_entry();
        if (!stack_.empty()) {
          state = stack_.back();
          stack_.pop_back();
        }
        // The \pn group of older word processors gives its paragraph bullets when it closes.
        if (bullet_group_depth_ && stack_.size() < *bullet_group_depth_) {
          state.paragraph.bullet = true;
          paragraph_ = state.paragraph;
          bullet_group_depth_.reset();
        }
        continue;
      }
      if (c == '\r' || c == '\n') {
        ++pos_;
        continue;
      }
      if (c != '\\') {
        ++pos_;
        if (pending_fallback > 0) {
          --pending_fallback;
          continue;
        }
        if (state.font_table) {
          if (state.font_detail) continue;
          if (c == ';') {
            finish_font_entry();
          } else {
            font_name_ += c;
          }
        } else if (!state.skip) {
          append(state, c);
        }
        continue;
      }
      // A backslash: control symbol or control word.
      ++pos_;
      if (pos_ >= rtf_.size()) break;
      const char next = rtf_[pos_];
      if (next == '\\' || next == '{' || next == '}') {
        ++pos_;
        if (pending_fallback > 0) {
          --pending_fallback;
        } else if (state.font_table) {
          if (!state.font_detail) font_name_ += next;
        } else if (!state.skip) {
          append(state, next);
        }
        continue;
      }
      if (next == '\'') {
        ++pos_;
        const int high = pos_ < rtf_.size() ? hex_value(rtf_[pos_]) : -1;
        const int low = pos_ + 1 < rtf_.size() ? hex_value(rtf_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) continue;
        pos_ += 2;
        if (pending_fallback > 0) {
          --pending_fallback;
        } else if (state.font_table) {
          if (!state.font_detail) font_name_ += static_cast<char>(high * 16 + low);
        } else if (!state.skip) {
          append(state, static_cast<char>(high * 16 + low));
        }
        continue;
      }
      if (!is_letter(next)) {
        ++pos_;
        if (next == '~' && !state.skip) append(state, '\xA0');
        if ((next == '\n' || next == '\r') && !state.skip) append(state, '\n');  // = \par
        continue;
      }
      const ControlWord word = read_control_word();
      pending_fallback = 0;
      apply(word, state, pending_fallback);
      if (!state.skip) paragraph_ = state.paragraph;
    }
    // The last paragraph, ended by the end of the text, in the format last set.
    paragraphs_.push_back(paragraph_);
    return {std::move(runs_), std::move(paragraphs_)};
  }

 private:
  ControlWord read_control_word() {
    ControlWord word;
    while (pos_ < rtf_.size() && is_letter(rtf_[pos_])) word.word += rtf_[pos_++];
    std::size_t start = pos_;
    if (pos_ < rtf_.size() && rtf_[pos_] == '-') ++pos_;
    if (pos_ < rtf_.size() && is_digit(rtf_[pos_])) {
      while (pos_ < rtf_.size() && is_digit(rtf_[pos_]) && pos_ - start < 9) ++pos_;
      word.parameter = std::stoi(std::string(rtf_.substr(start, pos_ - start)));
    } else {
      pos_ = start;
    }
    if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiting blank belongs to it
    return word;
  }

  void apply(const ControlWord& w, CharacterState& state, int& pending_fallback) {
    const std::string& word = w.word;
    const bool on = !w.parameter || *w.parameter != 0;
    // Bullets of older word processors: {\*\pn\pnlvlblt ...} in the paragraph's words.
    if (word == "pn") {
      pn_group_depth_ = stack_.size();
    } else if (word == "pnlvlblt" && pn_group_depth_) {
      bullet_group_depth_ = pn_group_depth_;
    }
    if (word == "fonttbl") {
      state.font_table = true;
      state.skip = true;
    } else if (state.font_table) {
      if (word == "f" && w.parameter) {
        finish_font_entry();
        font_number_ = *w.parameter;
      } else if (word == "fmodern") {
        font_modern_ = true;
      }
    } else if (word == "colortbl" || word == "stylesheet" || word == "info" || word == "pict" ||
               word == "header" || word == "footer" || word == "listtable" ||
               word == "listoverridetable" || word == "generator" || word == "pntext" ||
               word == "listtext") {
      // The text of a bullet or number (pntext, listtext) is the paragraph's bullet, not text.
      state.skip = true;
    } else if (state.skip) {
      return;
    } else if (word == "pard") {
      state.paragraph = RtfParagraph();
    } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
      state.paragraph.alignment = word == "qc"   ? RtfAlignment::centre
                                  : word == "qr" ? RtfAlignment::right
                                  : word == "qj" ? RtfAlignment::justified
                                                 : RtfAlignment::left;
    } else if (word == "fi" && w.parameter) {
      state.paragraph.first_indent = *w.parameter;
    } else if (word == "li" && w.parameter) {
      state.paragraph.left_indent = *w.parameter;
    } else if (word == "ri" && w.parameter) {
      state.paragraph.right_indent = *w.parameter;
    } else if (word == "ls") {
      // A paragraph of a list; whether bullets or numbers is in the skipped list table.
      state.paragraph.bullet = true;
    } else if (word == "par" || word == "line") {
      append(state, '\n');
    } else if (word == "tab") {
      append(state, '\t');
    } else if (word == "b") {
      state.bold = on;
    } else if (word == "i") {
      state.italic = on;
    } else if (word == "ul") {
      state.underline = on;
    } else if (word == "ulnone") {
      state.underline = false;
    } else if (word == "fs" && w.parameter && *w.parameter > 0) {
      state.half_points = *w.parameter;
    } else if (word == "f" && w.parameter) {
      state.font = *w.parameter;
    } else if (word == "plain") {
      state.bold = state.italic = state.underline = false;
      state.font = 0;
      state.half_points = 24;
    } else if (word == "uc" && w.parameter) {
      state.unicode_skip = *w.parameter;
    } else if (word == "u" && w.parameter) {
      int code = *w.parameter;
      if (code < 0) code += 65536;
      append(state, code < 256 ? static_cast<char>(code) : '?');
      pending_fallback = state.unicode_skip;
    } else if (word == "emdash") {
      append(state, '\x97');
    } else if (word == "endash") {
      append(state, '\x96');
    } else if (word == "bullet") {
      append(state, '\x95');
    }
  }

  void finish_font_entry() {
    if (font_number_) {
      while (!font_name_.empty() && font_name_.back() == ' ') font_name_.pop_back();
      const std::size_t start = font_name_.find_first_not_of(' ');
      FontEntry& entry = fonts_[*font_number_];
      entry.name = start == std::string::npos ? std::string() : font_name_.substr(start);
      entry.fixed_width = font_modern_ || entry.name.find("Courier") != std::string::npos;
    }
    font_number_.reset();
    font_modern_ = false;
    font_name_.clear();
  }

  void append(const CharacterState& state, char c) {
    RtfRun format;
    format.bold = state.bold;
    format.italic = state.italic;
    format.underline = state.underline;
    format.half_points = state.half_points;
    const auto found = fonts_.find(state.font);
    if (found == fonts_.end()) {
      // Without a font table, font 3 is the reports' fixed-width font.
      format.fixed_width = fonts_.empty() && state.font == kFixedWidthFont;
    } else {
      format.fixed_width = found->second.fixed_width;
      const std::string_view own_face = format.fixed_width ? kFixedWidthFace : kProportionalFace;
      if (found->second.name != own_face) format.font = found->second.name;
    }
    if (runs_.empty() || !same_format(runs_.back(), format)) runs_.push_back(format);
    runs_.back().text += c;
    paragraph_ = state.paragraph;
    if (c == '\n') paragraphs_.push_back(state.paragraph);
  }

  static bool same_format(const RtfRun& a, const RtfRun& b) {
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.fixed_width == b.fixed_width && a.half_points == b.half_points && a.font == b.font;
  }

  std::string_view rtf_;
  std::size_t pos_ = 0;
  std::vector<CharacterState> stack_;
  std::vector<RtfRun> runs_;
  std::vector<RtfParagraph> paragraphs_;
  RtfParagraph paragraph_;  // the format of the paragraph being read, as last set
  std::optional<std::size_t> pn_group_depth_;      // the \pn group being read
  std::optional<std::size_t> bullet_group_depth_;  // ... when it gives bullets
  std::map<int, FontEntry> fonts_;
  std::optional<int> font_number_;
  bool font_modern_ = false;
  std::string font_name_;
};

void append_escaped(std::string& out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (c == '\\' || c == '{' || c == '}') {
    out += '\\';
    out += c;
  } else if (byte >= 0x80 || byte < 0x20) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\'%02x", byte);
    out += escape;
  } else {
    out += c;
  }
}

// The words that start a paragraph of this format, after a \pard; bulleted paragraphs carry
// both the bullet of older readers ({\pntext}) and the \pn words the reader above takes.
std::string paragraph_words(const RtfParagraph& paragraph, bool format_changed) {
  std::string words;
  if (format_changed) {
    words = "\\pard";
    switch (paragraph.alignment) {
      case RtfAlignment::left:
        break;
      case RtfAlignment::centre:
        words += "\\qc";
        break;
      case RtfAlignment::right:
        words += "\\qr";
        break;
      case RtfAlignment::justified:
        words += "\\qj";
        break;
    }
    if (paragraph.first_indent != 0) words += "\\fi" + std::to_string(paragraph.first_indent);
    if (paragraph.left_indent != 0) words += "\\li" + std::to_string(paragraph.left_indent);
    if (paragraph.right_indent != 0) words += "\\ri" + std::to_string(paragraph.right_indent);
    if (paragraph.bullet) words += "{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'95}}";
  }
  if (paragraph.bullet) words += "{\\pntext\\f0\\'95\\tab}";
  // A blank ends a control word; after a group it would be text.
  if (!words.empty() && words.back() != '}') words += ' ';
  return words;
}

}  // namespace

RtfDocument read_rtf_document(std::string_view rtf) { return Reader(rtf).read(); }

std::vector<RtfRun> parse_rtf(std::string_view rtf) { return read_rtf_document(rtf).runs; }

std::string write_rtf(const RtfDocument& document) {
  // Every face beyond the reports' two gets a number of its own, from 4 on.
  std::vector<const RtfRun*> named;
  const auto font_number = [&named](const RtfRun& run) {
    if (run.font.empty()) return run.fixed_width ? kFixedWidthFont : kProportionalFont;
    for (std::size_t k = 0; k < named.size(); ++k) {
      if (named[k]->font == run.font) return kFixedWidthFont + 1 + static_cast<int>(k);
    }
    named.push_back(&run);
    return kFixedWidthFont + static_cast<int>(named.size());
  };
  for (const RtfRun& run : document.runs) font_number(run);
  std::string out =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Times New Roman;}"
      "{\\f3\\fmodern Courier New;}";
  for (std::size_t k = 0; k < named.size(); ++k) {
    out += "{\\f" + std::to_string(kFixedWidthFont + 1 + static_cast<int>(k)) +
           (named[k]->fixed_width ? "\\fmodern " : "\\fnil ");
    for (const char c : named[k]->font) {
      if (c != ';') append_escaped(out, c);  // a semicolon would end the name
    }
    out += ";}";
  }
  out += "}\\paperw11906\\paperh16838\\plain\\f0\\fs24";

  const auto paragraph = [&document](std::size_t k) {
    return k < document.paragraphs.size() ? document.paragraphs[k] : RtfParagraph();
  };
  std::size_t paragraph_index = 0;
  out += paragraph_words(paragraph(0), true);
  RtfRun current;  // \plain\f0\fs24
  int current_font = kProportionalFont;
  for (const RtfRun& run : document.runs) {
    std::string words;
    if (run.bold != current.bold) words += run.bold ? "\\b" : "\\b0";
    if (run.italic != current.italic) words += run.italic ? "\\i" : "\\i0";
    if (run.underline != current.underline) words += run.underline ? "\\ul" : "\\ulnone";
    const int font = font_number(run);
    if (font != current_font) words += "\\f" + std::to_string(font);
    if (run.half_points != current.half_points) words += "\\fs" + std::to_string(run.half_points);
    if (!words.empty()) out += words + ' ';
    current = run;
    current_font = font;
    for (const char c : run.text) {
      if (c == '\n') {
        out += "\\par\r\n";
        ++paragraph_index;
        out += paragraph_words(paragraph(paragraph_index),
                               paragraph(paragraph_index) != paragraph(paragraph_index - 1));
      } else if (c == '\t') {
        out += "\\tab ";
      } else {
        append_escaped(out, c);
      }
    }
  }
  out += "}";
  return out;
}

std::string write_rtf(const std::vector<RtfRun>& runs) { return write_rtf(RtfDocument{runs, {}}); }

std::string plain_text(const std::vector<RtfRun>& runs) {
  std::string text;
  for (const RtfRun& run : runs) text += run.text;
  return text;
}

}  // namespace olvar::document
