#include "platform/locale_formats.h"

#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <ctime>

namespace olvar::platform {

namespace {

// Owns a POSIX locale object for the length of one query.
class LocaleHandle {
 public:
  explicit LocaleHandle(const std::string& name)
      : handle_(newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, name.c_str(), locale_t{})) {}
  ~LocaleHandle() {
    if (handle_ != locale_t{}) freelocale(handle_);
  }
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;

  bool valid() const { return handle_ != locale_t{}; }
  locale_t get() const { return handle_; }

 private:
  locale_t handle_;
};

}  // namespace

std::optional<LocaleFormats> locale_formats(std::string_view locale_name) {
  const LocaleHandle locale{std::string(locale_name)};
  if (!locale.valid()) return std::nullopt;

  std::tm day{};
  day.tm_year = 1994 - 1900;
  day.tm_mon = 8 - 1;
  day.tm_mday = 3;
  day.tm_wday = 3;    // a Wednesday, for formats that name the weekday
  day.tm_yday = 214;  // days since 1 January
  day.tm_isdst = -1;

  LocaleFormats formats;
  const char* short_format = nl_langinfo_l(D_FMT, locale.get());
  char text[256];
  const std::size_t length = strftime_l(
      text, sizeof text, short_format != nullptr ? short_format : "%m/%d/%y", &day, locale.get());
  formats.short_date_of_3_august_1994.assign(text, length);

  const char* radix = nl_langinfo_l(RADIXCHAR, locale.get());
  formats.decimal_point = radix != nullptr && *radix != '\0' ? radix : ".";
  return formats;
}

LocaleFormats system_locale_formats() {
  if (auto formats = locale_formats("")) return *formats;
  if (auto formats = locale_formats("C")) return *formats;
  return LocaleFormats{"08/03/94", "."};  // what the C locale gives
}

LocalDate today_local_date() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return LocalDate{};
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace olvar::platform
