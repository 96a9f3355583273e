#pragma once
// A named pipe through which a program started and not waited for tells a test that it ran and
// what it saw: the test blocks on the pipe until the program has written and closed it, instead
// of polling for a file with sleeps.
//
//   const NamedPipe pipe(folder / "started");
//   launcher.start({"sh", {"-c", "echo ran > \"$1\"", "sh", pipe.path().string()}});
//   EXPECT_EQ(pipe.read_all(), "ran\n");

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace olvar::test {

class NamedPipe {
 public:
  explicit NamedPipe(std::filesystem::path path) : path_(std::move(path)) {
    if (::mkfifo(path_.c_str(), 0600) != 0) {
      throw std::runtime_error("cannot make the named pipe " + path_.string() + ": " +
                               std::strerror(errno));
    }
  }
  NamedPipe(const NamedPipe&) = delete;
  NamedPipe& operator=(const NamedPipe&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Everything one writer wrote, once it has closed the pipe. Opened without blocking, so that
  // a writer that never comes cannot hang the test: after `give_up_ms` of silence the text read
  // so far is returned (empty when nothing came), and the test's assertion on it fails.
  std::string read_all(int give_up_ms = 60000) const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return {};
    std::string text;
    bool writer_seen = false;
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      // Until a writer has opened the pipe, poll reports nothing; once the last writer has
      // closed it, it reports the hang-up and read gives 0.
      if (::poll(&p, 1, give_up_ms) <= 0) break;
      char buffer[4096];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        writer_seen = true;
        text.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 && (writer_seen || (p.revents & POLLHUP) != 0)) break;
      if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    ::close(fd);
    return text;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace olvar::test
