#pragma once
// Writing a file so that a failure never costs the user the file that was there before.
//
// The bytes go to a temporary file created exclusively in the target's folder (an unpredictable
// name, never following a link planted in its place), are flushed to disk and only then renamed
// over the target. Until commit() succeeds the old file is untouched; a SafeFile dropped without
// a commit removes its temporary file. Every failure throws WriteFailure naming the file and the
// system's reason.
//
// Tests make writes fail as a full disk would by setting OLVAR_TEST_WRITE_LIMIT to a number of
// bytes: a temporary file that would grow beyond it fails with "No space left on device".
// "N:NAME" limits only the files named NAME (the report, not the scratch copy before it). It is
// read from the process environment so that the command-line tests can reach it too.

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
  long long limit_ = -1;  // the test hook's byte limit, -1 for none
  long long written_ = 0;
};

// An output stream onto a SafeFile, for writers that stream (the z-score table of a file of any
// size). A failing write sets badbit; commit() then throws the WriteFailure that caused it.
class SafeFileStream : public std::ostream {
 public:
  explicit SafeFileStream(std::filesystem::path target);
  ~SafeFileStream() override;
  // Flushes, then commits as SafeFile::commit does; throws WriteFailure.
  void commit();
  // The message of the first write that failed; empty while none has.
  const std::string& failure() const { return buffer_.failure; }

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(SafeFile& file);
    int sync() override;
    int_type overflow(int_type c) override;
    std::string failure;  // the first write failure's message

   private:
    bool drain();
    SafeFile& file_;
    std::vector<char> block_;
  };
  SafeFile file_;
  Buffer buffer_;
};

// The whole file in one call.
void write_file_safely(const std::filesystem::path& target, std::string_view bytes);

// What write_file_with_backup did with the file it replaced.
enum class BackupResult {
  no_previous_file,  // the target did not exist: nothing to keep
  kept,              // the previous file is now the backup
  backup_is_input,   // the backup is one of the files being read: left alone, no backup made
};

// Writes `bytes` to `target` as write_file_safely does and keeps the file it replaces as
// `backup`. The old backup is replaced only once the new file is in place, so a failure at any
// step leaves the old file and the old backup as they were. A backup that is one of
// `never_replace` (the input of a conversion, say) is never touched. Throws WriteFailure; a
// target that exists but is no regular file (a folder) is refused before anything is written.
BackupResult write_file_with_backup(const std::filesystem::path& target, std::string_view bytes,
                                    const std::filesystem::path& backup,
                                    const std::vector<std::filesystem::path>& never_replace = {});

// True when both paths name one existing file, whatever links or relative parts lead there.
bool is_same_file(const std::filesystem::path& a, const std::filesystem::path& b);
// True when both paths lead to one file, whether it exists yet or not: is_same_file, or the
// same place once links and relative parts are resolved. Two outputs of one command are checked
// with it, since neither may exist before the command writes them.
bool is_same_target(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace olvar::platform
