#include "anthro/who_reference.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

namespace olvar::anthro {

namespace {

constexpr std::uintmax_t kExpectedBytes =
    static_cast<std::uintmax_t>(kWhoRecordCount) * kWhoRecordBytes;

double read_le_double(const unsigned char* bytes) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
  return std::bit_cast<double>(bits);
}

}  // namespace

WhoTableError::WhoTableError(std::filesystem::path path, std::uintmax_t size_found,
                             std::uintmax_t size_expected, const std::string& what)
    : std::runtime_error(what),
      path_(std::move(path)),
      size_found_(size_found),
      size_expected_(size_expected) {}

WhoReference::WhoReference() : records_(kWhoRecordCount) {}

WhoReference::WhoReference(std::vector<Lms> records) : records_(std::move(records)), found_(true) {
  if (records_.size() > static_cast<std::size_t>(kWhoRecordCount))
    throw std::invalid_argument("a WHO reference table holds at most 14454 records");
  records_.resize(kWhoRecordCount);
}

WhoReference WhoReference::load(const std::filesystem::path& path) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (!ec && !exists) return WhoReference();

  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec)
    throw WhoTableError(
        path, 0, kExpectedBytes,
        path.string() + ": cannot read the WHO reference table (" + ec.message() + ")");
  if (size != kExpectedBytes)
    throw WhoTableError(path, size, kExpectedBytes,
                        path.string() + ": the WHO reference table has " + std::to_string(size) +
                            " bytes, expected " + std::to_string(kExpectedBytes) + " (" +
                            std::to_string(kWhoRecordCount) + " records of " +
                            std::to_string(kWhoRecordBytes) + " bytes)");

  std::vector<unsigned char> bytes(kExpectedBytes);
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size()))
    throw WhoTableError(path, size, kExpectedBytes,
                        path.string() + ": cannot read the WHO reference table");

  std::vector<Lms> records(kWhoRecordCount);
  for (int i = 0; i < kWhoRecordCount; ++i) {
    const unsigned char* r = bytes.data() + static_cast<std::size_t>(i) * kWhoRecordBytes;
    records[i] = {read_le_double(r), read_le_double(r + 8), read_le_double(r + 16)};
  }
  return WhoReference(std::move(records));
}

}  // namespace olvar::anthro
