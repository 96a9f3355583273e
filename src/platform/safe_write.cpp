#include "platform/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>

namespace olvar::platform {
namespace fs = std::filesystem;

namespace {

// Sixteen letters from the system's random source: a name another user cannot guess ahead.
std::string random_suffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  std::string suffix;
  for (int k = 0; k < 16; ++k) suffix += kLetters[pick(source)];
  return suffix;
}

std::string reason(int error_number) { return std::strerror(error_number); }

// The test hook described in the header: -1 when no limit is set for `target`.
long long write_limit(const fs::path& target) {
  const char* text = std::getenv("OLVAR_TEST_WRITE_LIMIT");
  if (text == nullptr || *text == '\0') return -1;
  char* end = nullptr;
  const long long limit = std::strtoll(text, &end, 10);
  if (end == text || limit < 0) return -1;
  if (*end == '\0') return limit;
  return (*end == ':' && target.filename() == fs::path(end + 1)) ? limit : -1;
}

// A new file beside `near`, created exclusively under an unpredictable name; -1 with errno set
// when no such file can be made.
int create_exclusive(const fs::path& near, fs::path& created) {
  const fs::path folder = near.has_parent_path() ? near.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = folder / ("." + near.filename().string() + "." + random_suffix() + ".tmp");
    const int descriptor = ::open(created.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor >= 0) return descriptor;
    if (errno != EEXIST) break;
  }
  created.clear();
  return -1;
}

// A second name for `file` beside `backup`: a hard link where the file system has them, a copy
// otherwise. Returns the new name; throws WriteFailure.
fs::path second_name(const fs::path& file, const fs::path& backup) {
  fs::path name;
  const int descriptor = create_exclusive(backup, name);
  if (descriptor < 0) {
    throw WriteFailure("cannot make the backup " + backup.string() + ": " + reason(errno));
  }
  ::close(descriptor);
  ::unlink(name.c_str());
  if (::link(file.c_str(), name.c_str()) == 0) return name;
  // No hard links here: copy the old file through a temporary file of its own.
  const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) throw WriteFailure("cannot read " + file.string() + ": " + reason(errno));
  std::string bytes;
  char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error_number = errno;
      ::close(in);
      throw WriteFailure("cannot read " + file.string() + ": " + reason(error_number));
    }
    if (got == 0) break;
    bytes.append(block, static_cast<std::size_t>(got));
  }
  ::close(in);
  SafeFile copy(name);
  copy.write(bytes);
  copy.commit();
  return name;
}

// Temporary files of `target` that a save interrupted (a killed process, a power cut) left
// behind: as large as the file, and hidden. Those untouched for a minute are removed once the
// file was saved again; a younger one may belong to a save running in another process.
void remove_stale_temporaries(const fs::path& target) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = "." + target.filename().string() + ".";
  constexpr std::size_t kSuffixLength = 16;
  const std::string ending = ".tmp";
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + kSuffixLength + ending.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - ending.size(), ending.size(), ending) != 0) {
      continue;
    }
    const std::string suffix = name.substr(prefix.size(), kSuffixLength);
    if (suffix.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos) {
      continue;
    }
    std::error_code ignored;
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
    const auto changed = fs::last_write_time(it->path(), ignored);
    if (ignored || now - changed < std::chrono::minutes(1)) continue;
    ::unlink(it->path().c_str());
  }
}

}  // namespace

SafeFile::SafeFile(fs::path target)
    : target_(std::move(target)), limit_(write_limit(target_)) {
  descriptor_ = create_exclusive(target_, temporary_);
  if (descriptor_ < 0) {
    throw WriteFailure("cannot write " + target_.string() + ": " +
                       (errno == EEXIST ? std::string("no free temporary name") : reason(errno)));
  }
}

SafeFile::~SafeFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void SafeFile::fail(const std::string& what, int error_number) {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  throw WriteFailure(what + " " + target_.string() + ": " + reason(error_number));
}

void SafeFile::write(std::string_view bytes) {
  if (descriptor_ < 0) throw WriteFailure("cannot write " + target_.string() + ": already closed");
  if (limit_ >= 0 && written_ + static_cast<long long>(bytes.size()) > limit_) {
    fail("cannot write", ENOSPC);
  }
  written_ += static_cast<long long>(bytes.size());
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("cannot write", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void SafeFile::commit() {
  if (descriptor_ < 0) throw WriteFailure("cannot write " + target_.string() + ": already closed");
  // Keep the permissions of the file being replaced; a new file gets the user's default.
  struct stat old_state {};
  if (::stat(target_.c_str(), &old_state) == 0) ::fchmod(descriptor_, old_state.st_mode & 07777);
  else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor_, 0666 & ~mask);
  }
  if (::fsync(descriptor_) != 0) fail("cannot write", errno);
  if (::close(descriptor_) != 0) {
    descriptor_ = -1;
    fail("cannot write", errno);
  }
  descriptor_ = -1;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot replace", errno);
  committed_ = true;
  remove_stale_temporaries(target_);
}

SafeFileStream::Buffer::Buffer(SafeFile& file) : file_(file), block_(1 << 20) {
  setp(block_.data(), block_.data() + block_.size());
}

bool SafeFileStream::Buffer::drain() {
  if (!failure.empty()) return false;
  try {
    file_.write(std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
  } catch (const WriteFailure& e) {
    failure = e.what();
    return false;
  }
  setp(block_.data(), block_.data() + block_.size());
  return true;
}

int SafeFileStream::Buffer::sync() { return drain() ? 0 : -1; }

SafeFileStream::Buffer::int_type SafeFileStream::Buffer::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

SafeFileStream::SafeFileStream(fs::path target)
    : std::ostream(nullptr), file_(std::move(target)), buffer_(file_) {
  rdbuf(&buffer_);
}

SafeFileStream::~SafeFileStream() { rdbuf(nullptr); }

void SafeFileStream::commit() {
  flush();
  if (!buffer_.failure.empty()) throw WriteFailure(buffer_.failure);
  if (!*this) throw WriteFailure("cannot write " + file_.target().string());
  file_.commit();
}

void write_file_safely(const fs::path& target, std::string_view bytes) {
  SafeFile file(target);
  file.write(bytes);
  file.commit();
}

BackupResult write_file_with_backup(const fs::path& target, std::string_view bytes,
                                    const fs::path& backup,
                                    const std::vector<fs::path>& never_replace) {
  struct stat state {};
  const bool exists = ::lstat(target.c_str(), &state) == 0;
  // Renaming over a folder (or keeping it as the backup) is never what a save means.
  if (exists && !S_ISREG(state.st_mode) && !S_ISLNK(state.st_mode)) {
    throw WriteFailure("cannot write " + target.string() + ": the name is taken by a folder or "
                       "another thing that is not a file");
  }
  bool backup_is_input = false;
  for (const fs::path& input : never_replace) backup_is_input |= is_same_file(backup, input);
  const bool keep_backup = exists && !backup_is_input && backup != target;
  // The backup's name taken by a folder would make the save fail only after the new file took
  // the old one's place, so the old content would be gone: refuse before anything is written.
  struct stat backup_state {};
  if (keep_backup && ::lstat(backup.c_str(), &backup_state) == 0 &&
      !S_ISREG(backup_state.st_mode) && !S_ISLNK(backup_state.st_mode)) {
    throw WriteFailure("cannot write " + target.string() + ": its backup name " + backup.string() +
                       " is taken by a folder or another thing that is not a file; nothing was "
                       "written");
  }

  SafeFile file(target);
  file.write(bytes);
  // The old file gets its second name before the new one takes its place, and that name
  // replaces the old backup only after: there is no moment without the old file or the backup.
  fs::path old_file;
  if (keep_backup) old_file = second_name(target, backup);
  try {
    file.commit();
  } catch (...) {
    if (!old_file.empty()) ::unlink(old_file.c_str());
    throw;
  }
  if (keep_backup && ::rename(old_file.c_str(), backup.c_str()) != 0) {
    const int error_number = errno;
    ::unlink(old_file.c_str());
    throw WriteFailure(target.string() + " was written, but the backup " + backup.string() +
                       " could not be replaced: " + reason(error_number));
  }
  // A backup that was a second name of the old file already holds it, and rename() then leaves
  // both names in place: the temporary name would stay behind on every save.
  if (keep_backup) ::unlink(old_file.c_str());
  remove_stale_temporaries(backup);
  if (!exists) return BackupResult::no_previous_file;
  return keep_backup ? BackupResult::kept : BackupResult::backup_is_input;
}

bool is_same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

bool is_same_target(const fs::path& a, const fs::path& b) {
  if (is_same_file(a, b)) return true;
  std::error_code ec_a;
  std::error_code ec_b;
  const fs::path resolved_a = fs::weakly_canonical(fs::absolute(a, ec_a), ec_a);
  const fs::path resolved_b = fs::weakly_canonical(fs::absolute(b, ec_b), ec_b);
  return !ec_a && !ec_b && resolved_a == resolved_b;
}

}  // namespace olvar::platform
