#include "document/rtf_text.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <optional>

namespace olvar::document {

namespace {

struct CharacterState {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int font = 0;
  int half_points = 24;
  bool skip = false;  // inside a destination whose text is not document text
  bool font_table = false;
  int unicode_skip = 1;  // \ucN: characters that follow a \u as its fallback
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

  std::vector<RtfRun> read() {
    std::vector<CharacterState> stack;
    CharacterState state;
    int pending_fallback = 0;  // characters still to drop after a \u
    while (pos_ < rtf_.size()) {
      const char c = rtf_[pos_];
      if (c == '{') {
        ++pos_;
        stack.push_back(state);
        // "{\*\destination ...}": ignorable, whatever the destination.
        if (rtf_.substr(pos_, 2) == "\\*") state.skip = true;
        continue;
      }
      if (c == '}') {
        ++pos_;
        if (state.font_table) finish_font_entry();
        if (!stack.empty()) {
          state = stack.back();
          stack.pop_back();
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
          font_name_ += c;
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
        } else if (!state.skip && !state.font_table) {
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
          font_name_ += static_cast<char>(high * 16 + low);
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
    }
    return std::move(runs_);
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
               word == "listoverridetable" || word == "generator") {
      state.skip = true;
    } else if (state.skip) {
      return;
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
      const bool courier = font_name_.find("Courier") != std::string::npos;
      fixed_fonts_[*font_number_] = font_modern_ || courier;
    }
    font_number_.reset();
    font_modern_ = false;
    font_name_.clear();
  }

  bool is_fixed(int font) const {
    const auto found = fixed_fonts_.find(font);
    // Without a font table, font 3 is the reports' fixed-width font.
    if (found == fixed_fonts_.end()) return fixed_fonts_.empty() && font == 3;
    return found->second;
  }

  void append(const CharacterState& state, char c) {
    RtfRun format;
    format.bold = state.bold;
    format.italic = state.italic;
    format.underline = state.underline;
    format.fixed_width = is_fixed(state.font);
    format.half_points = state.half_points;
    if (runs_.empty() || !same_format(runs_.back(), format)) runs_.push_back(format);
    runs_.back().text += c;
  }

  static bool same_format(const RtfRun& a, const RtfRun& b) {
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.fixed_width == b.fixed_width && a.half_points == b.half_points;
  }

  std::string_view rtf_;
  std::size_t pos_ = 0;
  std::vector<RtfRun> runs_;
  std::map<int, bool> fixed_fonts_;
  std::optional<int> font_number_;
  bool font_modern_ = false;
  std::string font_name_;
};

}  // namespace

std::vector<RtfRun> parse_rtf(std::string_view rtf) { return Reader(rtf).read(); }

std::string write_rtf(const std::vector<RtfRun>& runs) {
  std::string out =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Times New Roman;}"
      "{\\f3\\fmodern Courier New;}}\\paperw11906\\paperh16838\\pard\\plain\\f0\\fs24 ";
  RtfRun current;  // \plain\f0\fs24
  for (const RtfRun& run : runs) {
    std::string words;
    if (run.bold != current.bold) words += run.bold ? "\\b" : "\\b0";
    if (run.italic != current.italic) words += run.italic ? "\\i" : "\\i0";
    if (run.underline != current.underline) words += run.underline ? "\\ul" : "\\ulnone";
    if (run.fixed_width != current.fixed_width) words += run.fixed_width ? "\\f3" : "\\f0";
    if (run.half_points != current.half_points) words += "\\fs" + std::to_string(run.half_points);
    if (!words.empty()) out += words + ' ';
    current = run;
    for (const char c : run.text) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == '\n') {
        out += "\\par\r\n";
      } else if (c == '\t') {
        out += "\\tab ";
      } else if (c == '\\' || c == '{' || c == '}') {
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
  }
  out += "}";
  return out;
}

std::string plain_text(const std::vector<RtfRun>& runs) {
  std::string text;
  for (const RtfRun& run : runs) text += run.text;
  return text;
}

}  // namespace olvar::document
