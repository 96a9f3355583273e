#include "platform/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

SafeFile::SafeFile(fs::path target) : target_(std::move(target)) {
  const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
    temporary_ = folder / ("." + target_.filename().string() + "." + random_suffix() + ".tmp");
    descriptor_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         0666);
    if (descriptor_ < 0 && errno != EEXIST) {
      const int error_number = errno;
      temporary_.clear();
      throw WriteFailure("cannot write " + target_.string() + ": " + reason(error_number));
    }
  }
  if (descriptor_ < 0) {
    temporary_.clear();
    throw WriteFailure("cannot write " + target_.string() + ": no free temporary name");
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
}

void write_file_safely(const fs::path& target, std::string_view bytes) {
  SafeFile file(target);
  file.write(bytes);
  file.commit();
}

bool is_same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace olvar::platform
