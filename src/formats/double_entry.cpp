#include "formats/double_entry.h"

#include <optional>
#include <vector>

namespace olvar::formats {

namespace {

constexpr char kMarker = '\xA5';  // starts every section marker line of a survey file

std::vector<std::string> lines_of(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string line(bytes.substr(start, end - start));
    // Trailing blanks, tabs (and the CR of a CR LF) never count as a difference.
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
      line.pop_back();
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// A line as RTF text: a backslash or brace of the data must not end or open a group.
std::string rtf_escaped(std::string_view line) {
  std::string out;
  for (char c : line) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

class Comparison {
 public:
  Comparison(const DoubleEntryFile& first, const DoubleEntryFile& second,
             const core::LanguageTable& text, std::string& rtf)
      : first_(first), second_(second), text_(text), rtf_(rtf) {}

  // Compares the lines of both files from `from1` and `from2` on, numbering the pairs from
  // `number`, until both files have reached a section marker or their end (a record one file
  // has and the other lacks is a difference too). Returns the number of differences.
  int compare(const std::vector<std::string>& a, std::size_t from1,
              const std::vector<std::string>& b, std::size_t from2, int number) {
    int differences = 0;
    std::size_t i = from1, j = from2;
    auto ended = [](const std::vector<std::string>& lines, std::size_t k) {
      return k >= lines.size() || (!lines[k].empty() && lines[k][0] == kMarker);
    };
    while (!(ended(a, i) && ended(b, j))) {
      const std::string line1 = ended(a, i) ? shown(a, i) : a[i];
      const std::string line2 = ended(b, j) ? shown(b, j) : b[j];
      if (line1 != line2) {
        rtf_ += text_.text(1071) + " " + std::to_string(number) + " \\par " +
                rtf_escaped(first_.name) + "\t" + rtf_escaped(line1) + " \\par " +
                rtf_escaped(second_.name) + "\t" + rtf_escaped(line2) + "\\par\\par ";
        ++differences;
      }
      if (!ended(a, i)) ++i;
      if (!ended(b, j)) ++j;
      ++number;
    }
    return differences;
  }

 private:
  // What stands in a file at a line it does not have as a record: the section marker (shown as
  // the marker and Language entry 1073) or nothing at its end.
  std::string shown(const std::vector<std::string>& lines, std::size_t k) const {
    if (k >= lines.size()) return {};
    return std::string(1, kMarker) + text_.text(1073);
  }

  const DoubleEntryFile& first_;
  const DoubleEntryFile& second_;
  const core::LanguageTable& text_;
  std::string& rtf_;
};

std::optional<std::size_t> section(const std::vector<std::string>& lines, std::string_view name) {
  const std::string marker = std::string(1, kMarker) + std::string(name);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].find(marker) != std::string::npos) return k;
  }
  return std::nullopt;
}

}  // namespace

DoubleEntryReport double_entry_report(const DoubleEntryFile& first, const DoubleEntryFile& second,
                                      const DoubleEntryChoice& choice,
                                      const core::LanguageTable& text) {
  DoubleEntryReport report;
  std::string& rtf = report.rtf;
  rtf = "{\\rtf1{\\fonttbl{\\f0\\fnil Times New Roman;}}\\paperw11906\\paperh16838\\pard\\f0\\fs30\\b " +
        text.text(1065) + " \\fs24\\b0\\par\\par ";
  const std::vector<std::string> a = lines_of(first.bytes);
  const std::vector<std::string> b = lines_of(second.bytes);
  Comparison comparison(first, second, text, rtf);

  if (choice.anthropometric) {
    rtf += "\\b " + text.text(1066) + " \\b0\\par\\par ";
    // The first line (the file's date order) is skipped; the variable names are line 0, so a
    // record's line number is its row.
    const int found = comparison.compare(a, 1, b, 1, 0);
    if (found == 0) rtf += text.text(1067) + " \\par\\par ";
    report.differences += found;
  }
  if (choice.mortality) {
    struct Level {
      const char* heading;
      const char* marker;
      const char* identical;
    };
    const Level levels[] = {
        {"\\par\\par\\b Mortality Data Household level \\b0\\par\\par ", "Mortality",
         "Mortality data on the Household level seems to be identical"},
        {"\\par\\par\\b Mortality Data Individual level \\b0\\par\\par ", "Mor_individual",
         "Mortality data on the Individual level seems to be identical"},
    };
    for (const Level& level : levels) {
      rtf += level.heading;
      const auto in_a = section(a, level.marker);
      const auto in_b = section(b, level.marker);
      // A file without the section has no lines in it.
      const int found = comparison.compare(a, in_a ? *in_a + 1 : a.size(), b,
                                           in_b ? *in_b + 1 : b.size(), 1);
      if (found == 0) rtf += std::string(level.identical) + "\\par\\par ";
      report.differences += found;
    }
  }
  rtf += "\\par ";
  return report;
}

}  // namespace olvar::formats
