#pragma once
// The text of the document being built. A report clears it (or fills it from a template),
// appends to it, and hands it to WriteReportDocument or HandToSpreadsheet, which write it out
// unchanged. Filling a template goes through one insertion position shared by three operations:
//
//   buffer.take_marker("#01", 3);   // removes the marker; the position is where it stood
//   buffer.insert("Kassala");       // the text goes there; the position does not move
//   buffer.take_marker("#800", 4);
//   buffer.cut_to_marker("#900");   // drops the template text between the two markers
//
// Because insert leaves the position where it is, a second insert without a new take_marker
// lands in front of the first one.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "document/rtf.h"  // the vocabulary reports append with

namespace olvar::document {

class DocumentBuffer {
 public:
  DocumentBuffer() = default;
  explicit DocumentBuffer(std::string text) : text_(std::move(text)) {}

  const std::string& text() const { return text_; }
  std::size_t insertion_position() const { return position_; }

  // Empties the text; the insertion position returns to the start.
  void clear();
  // Replaces the text (a loaded template); the insertion position returns to the start.
  void assign(std::string text);
  // Appends at the end; the insertion position is not touched.
  void append(std::string_view text) { text_.append(text); }
  DocumentBuffer& operator<<(std::string_view text) {
    append(text);
    return *this;
  }

  // Finds the first occurrence of the marker, deletes `length` characters there (fewer when the
  // text ends sooner) and sets the insertion position to that place. An absent marker deletes
  // nothing and sets the position to the start of the text.
  void take_marker(std::string_view marker, std::size_t length);
  // Deletes from the insertion position up to, not including, the first occurrence of the
  // marker in the text. Nothing is deleted when the marker is absent or its first occurrence
  // lies before the insertion position.
  void cut_to_marker(std::string_view marker);
  // Inserts the text at the insertion position, which stays where it is.
  void insert(std::string_view text);

 private:
  std::string text_;
  std::size_t position_ = 0;
};

// How a template file is read into the buffer.
enum class TemplateReading {
  joined_lines,  // line by line, lines joined without line breaks (report.rtf, the blank forms)
  verbatim,      // character by character, line breaks kept (report_planning.rtf)
};

// The template's text, or nullopt when the file cannot be opened (the calling report then shows
// its own message and writes nothing). Line ends are CR LF, LF or a lone CR.
std::optional<std::string> read_template(const std::filesystem::path& file, TemplateReading how);

}  // namespace olvar::document
