#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/file.h"
#include "platform/system_files.h"
#include "platform/utf.h"

namespace {
// The UTF-8 form of a Windows-style UTF-16 path: '\' becomes '/'.
std::string posixPath(const char16_t* path) {
  std::string out = utf8FromUtf16(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}
}  // namespace

int systemOpenSpill(const char16_t* path, bool* nameTaken) {
  if (nameTaken) *nameTaken = false;
  const std::string name = posixPath(path);
  int file;
  do {
    file = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  } while (file < 0 && errno == EINTR);
  if (file < 0) {
    if (nameTaken) *nameTaken = errno == EEXIST;
    return platformNoFile;
  }
  // Deleted when closed: the name goes at once, so nobody can open the contents by name. It goes
  // only while it still names this very file: one put there in its place is not ours to remove.
  struct stat opened {};
  struct stat named {};
  if (::fstat(file, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
      opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
    ::unlink(name.c_str());
  }
  return file;
}

size_t systemWrite(int file, const void* data, size_t bytes) {
  const char* from = static_cast<const char*>(data);
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::write(file, from + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool systemSeekToStart(int file) { return ::lseek(file, 0, SEEK_SET) == 0; }

size_t systemRead(int file, void* data, size_t bytes) {
  char* into = static_cast<char*>(data);
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::read(file, into + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void systemClose(int file) { ::close(file); }
