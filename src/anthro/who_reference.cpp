#include "anthro/who_reference.h"

#include <bit>
#include <array>
#include <cmath>
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

namespace {

// What each block of a sound table holds: the medians the WHO tables give for that block, with
// room to spare on both sides. A file of the right size made of anything else (zeros, another
// table, shifted records) would give wrong z-scores without a word.
struct PlausibleBlock {
  const char* name;
  double lowest_median;
  double highest_median;
};
constexpr std::array<PlausibleBlock, kWhoLayout.size()> kPlausibleBlocks = {{
    {"weight-for-age (days)", 1.5, 30.0},
    {"length/height-for-age (days)", 40.0, 130.0},
    {"weight-for-length", 1.5, 30.0},
    {"weight-for-height", 5.0, 35.0},
    {"BMI-for-age (days)", 10.0, 22.0},
    {"weight-for-age (months)", 12.0, 45.0},
    {"height-for-age (months)", 95.0, 195.0},
    {"BMI-for-age (months)", 11.0, 32.0},
    {"MUAC-for-age (months)", 10.0, 20.0},
}};

// Throws WhoTableError naming the first record that no WHO table could hold.
void check_plausible(const std::vector<Lms>& records, const std::filesystem::path& path,
                     std::uintmax_t size) {
  for (std::size_t b = 0; b < kWhoLayout.size(); ++b) {
    const PlausibleBlock& plausible = kPlausibleBlocks[b];
    for (const bool girls : {false, true}) {
      const WhoBlock block = who_block(kWhoLayout[b].table, girls);
      for (int i = block.first; i <= block.last(); ++i) {
        const Lms& r = records[static_cast<std::size_t>(i)];
        const bool sound = std::isfinite(r.l) && std::isfinite(r.m) && std::isfinite(r.s) &&
                           std::abs(r.l) <= 5.0 && r.s > 0.0 && r.s <= 0.5 &&
                           r.m >= plausible.lowest_median && r.m <= plausible.highest_median;
        if (sound) continue;
        throw WhoTableError(
            path, size, kExpectedBytes,
            path.string() + ": this is not the WHO reference table (record " +
                std::to_string(i) + ", " + plausible.name + (girls ? ", girls" : ", boys") +
                ", holds L " + std::to_string(r.l) + ", M " + std::to_string(r.m) + ", S " +
                std::to_string(r.s) +
                "); WHO z-scores cannot be worked out until the program's own table is put back");
      }
    }
  }
}

}  // namespace

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
  check_plausible(records, path, size);
  return WhoReference(std::move(records));
}

}  // namespace olvar::anthro
