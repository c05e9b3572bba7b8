#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace tapestra {

bool ReadFileBytes(const std::string& fileName, std::uint64_t limit, FileBytes& out) {
  out = FileBytes{};
  // O_NONBLOCK keeps open() from waiting on a FIFO; regular files ignore it.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0;
  if (ok) {
    out.fileSize = static_cast<std::uint64_t>(st.st_size);
    const auto want = static_cast<std::size_t>(std::min(out.fileSize, limit));
    out.data.reset(new (std::nothrow) std::uint8_t[want == 0 ? 1 : want]);
    ok = out.data != nullptr;
    while (ok && out.size < want) {
      const ssize_t n = ::read(fd, out.data.get() + out.size, want - out.size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      out.size += static_cast<std::size_t>(n);
    }
    if (out.size < want) out.fileSize = out.size;  // shrank under us
  }
  ::close(fd);
  if (!ok) out = FileBytes{};
  return ok;
}

}  // namespace tapestra
