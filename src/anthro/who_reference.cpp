#include "anthro/who_reference.h"

#include <bit>
#include <fstream>
#include <system_error>
#include <utility>

#include "anthro/who_lookup.h"

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

WhoReference::WhoReference() { derive(std::vector<Lms>(kWhoRecordCount)); }

WhoReference::WhoReference(std::vector<Lms> records) : found_(true) {
  if (records.size() > static_cast<std::size_t>(kWhoRecordCount))
    throw std::invalid_argument("a WHO reference table holds at most 14454 records");
  records.resize(kWhoRecordCount);
  derive(std::move(records));
}

void WhoReference::derive(std::vector<Lms> records) {
  entries_.clear();
  entries_.reserve(records.size());
  for (const Lms& r : records) entries_.push_back({r, lms_curve_points(r), true});

  muac_days_.assign(2 * kMuacDays, Entry{});
  for (int girls = 0; girls < 2; ++girls) {
    for (int day = 0; day < kMuacDays; ++day) {
      const std::optional<Lms> p = who_muac_lms_interpolated(*this, girls == 1, day);
      if (p) muac_days_[girls * kMuacDays + day] = {*p, lms_curve_points(*p), true};
    }
  }
}

const Lms* WhoReference::muac_day_lms(bool girls, int day) const {
  if (day < 0 || day >= kMuacDays) return nullptr;
  const Entry& e = muac_days_[(girls ? kMuacDays : 0) + day];
  return e.known ? &e.lms : nullptr;
}

const CurvePoints* WhoReference::muac_day_curve_points(bool girls, int day) const {
  if (day < 0 || day >= kMuacDays) return nullptr;
  const Entry& e = muac_days_[(girls ? kMuacDays : 0) + day];
  return e.known ? &e.curve_points : nullptr;
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
