#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstring>

#include "platform/read_only_file.h"

namespace {
PathKind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::regular;
  if (S_ISDIR(mode)) return PathKind::directory;
  if (S_ISFIFO(mode)) return PathKind::fifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return PathKind::device;
  if (S_ISSOCK(mode)) return PathKind::socket;
  return PathKind::other;
}

PathKind kindOfError(int error) {
  return error == ENOENT || error == ENOTDIR ? PathKind::missing : PathKind::unreadable;
}
}  // namespace

bool ReadOnlyFile::open(const std::string& path, PathKind* kind, std::string* why) {
  close();
  if (why) why->clear();
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) {
    const int error = errno;
    *kind = kindOfError(error);
    if (why) *why = std::strerror(error);
    return false;
  }
  *kind = kindOf(before.st_mode);
  if (*kind != PathKind::regular) return false;
  // O_NONBLOCK: should the path have become a FIFO since the stat, the open does not wait.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    *kind = kindOfError(error);
    if (why) *why = std::strerror(error);
    return false;
  }
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || kindOf(opened.st_mode) != PathKind::regular) {
    *kind = kindOf(opened.st_mode);
    ::close(fd);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<uint64_t>(opened.st_size);
  return true;
}

size_t ReadOnlyFile::readAt(uint64_t offset, void* into, size_t bytes) {
  if (handle_ == noHandle) return 0;
  char* to = static_cast<char*>(into);
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pread(static_cast<int>(handle_), to + done, bytes - done,
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void ReadOnlyFile::close() {
  if (handle_ != noHandle) ::close(static_cast<int>(handle_));
  handle_ = noHandle;
  size_ = 0;
}

namespace {
// One page or less at from, copied by the kernel: bytes copied, 0 where nothing is readable, -1
// when the system refuses the call itself (a sandbox that forbids it).
ssize_t copyByProcessRead(const void* from, void* into, size_t bytes) {
  struct iovec local {
    into, bytes
  };
  struct iovec remote {
    const_cast<void*>(from), bytes
  };
  const ssize_t n = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
  if (n < 0) return errno == EFAULT ? 0 : -1;
  return n;
}

// The same through a pipe: write() answers EFAULT for unreadable memory too. At most one page,
// which a pipe always holds without blocking.
ssize_t copyByPipe(const void* from, void* into, size_t bytes) {
  int ends[2];
  if (::pipe(ends) != 0) return 0;
  ssize_t n = ::write(ends[1], from, bytes);
  if (n > 0) n = ::read(ends[0], into, static_cast<size_t>(n));
  ::close(ends[0]);
  ::close(ends[1]);
  return n > 0 ? n : 0;
}
}  // namespace

size_t platformCopyReadableMemory(const void* from, void* into, size_t bytes) {
  // Page by page, so that the readable head of a range is copied even when its tail is not.
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t start = reinterpret_cast<uintptr_t>(from);
  bool processReadRefused = false;
  size_t done = 0;
  while (done < bytes) {
    const uintptr_t at = start + done;
    size_t part = page - at % page;
    if (part > bytes - done) part = bytes - done;
    const void* source = reinterpret_cast<const void*>(at);
    char* target = static_cast<char*>(into) + done;
    ssize_t n = processReadRefused ? -1 : copyByProcessRead(source, target, part);
    if (n < 0) {
      processReadRefused = true;
      n = copyByPipe(source, target, part);
    }
    if (n <= 0) break;
    done += static_cast<size_t>(n);
    if (static_cast<size_t>(n) < part) break;
  }
  return done;
}
