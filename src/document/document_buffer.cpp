#include "document/document_buffer.h"

#include <fstream>
#include <iterator>

namespace olvar::document {

void DocumentBuffer::clear() {
  text_.clear();
  position_ = 0;
}

void DocumentBuffer::assign(std::string text) {
  text_ = std::move(text);
  position_ = 0;
}

void DocumentBuffer::take_marker(std::string_view marker, std::size_t length) {
  const std::size_t found = marker.empty() ? std::string::npos : text_.find(marker);
  if (found == std::string::npos) {
    position_ = 0;
    return;
  }
  text_.erase(found, length);
  position_ = found;
}

void DocumentBuffer::cut_to_marker(std::string_view marker) {
  if (marker.empty()) return;
  const std::size_t found = text_.find(marker);
  if (found == std::string::npos || found < position_) return;
  text_.erase(position_, found - position_);
}

void DocumentBuffer::insert(std::string_view text) {
  // The position can lie beyond the end only if the text was shortened behind the buffer's
  // back, which its interface does not allow; the guard keeps a stale position harmless.
  if (position_ > text_.size()) position_ = text_.size();
  text_.insert(position_, text);
}

std::optional<std::string> read_template(const std::filesystem::path& file, TemplateReading how) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (how == TemplateReading::verbatim) return bytes;
  std::string joined;
  joined.reserve(bytes.size());
  for (char c : bytes) {
    if (c != '\r' && c != '\n') joined.push_back(c);
  }
  return joined;
}

}  // namespace olvar::document
