#pragma once
// Writing a file so that a failure never costs the user the file that was there before.
//
// The bytes go to a temporary file created exclusively in the target's folder (an unpredictable
// name, never following a link planted in its place), are flushed to disk and only then renamed
// over the target. Until commit() succeeds the old file is untouched; a SafeFile dropped without
// a commit removes its temporary file. Every failure throws WriteFailure naming the file and the
// system's reason.

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace olvar::platform {

struct WriteFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class SafeFile {
 public:
  // Creates the temporary file beside the target; throws WriteFailure when it cannot.
  explicit SafeFile(std::filesystem::path target);
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Appends bytes; throws WriteFailure on the first failing write (a full disk, an I/O error).
  void write(std::string_view bytes);
  // Flushes to disk and renames over the target. Without a commit the target stays as it was.
  void commit();

  const std::filesystem::path& target() const { return target_; }

 private:
  [[noreturn]] void fail(const std::string& what, int error_number);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int descriptor_ = -1;
  std::string buffer_;
  bool committed_ = false;
};

// The whole file in one call.
void write_file_safely(const std::filesystem::path& target, std::string_view bytes);

// True when both paths name one existing file, whatever links or relative parts lead there.
bool is_same_file(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace olvar::platform
