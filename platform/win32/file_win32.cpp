#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "platform/file.h"
#include "platform/system_files.h"
#include "platform/win32/extended_path.h"

namespace {
// A path as the runtime's wide calls take it, for one call: a temp directory deeper than MAX_PATH
// gets the extended-length form. A short path is used in place, without allocating.
class WidePath {
 public:
  explicit WidePath(const char16_t* path)
      : given_(path ? reinterpret_cast<const wchar_t*>(path) : L""),
        extended_(extendedLengthPath(given_)) {}
  ~WidePath() { std::free(extended_); }
  WidePath(const WidePath&) = delete;
  WidePath& operator=(const WidePath&) = delete;
  const wchar_t* get() const { return extended_ ? extended_ : given_; }

 private:
  const wchar_t* given_;
  wchar_t* extended_;  // owned; null when the given path is used
};

// One runtime transfer moves at most this much.
constexpr size_t chunkBytes = INT_MAX / 2;
}  // namespace

int systemOpenSpill(const char16_t* path, bool* nameTaken) {
  if (nameTaken) *nameTaken = false;
  const WidePath wide(path);  // lives past the errno check below
  // Read-write, created only if missing, binary; owner read and write. _O_TEMPORARY opens it
  // delete-on-close: the system removes it with its last handle, and nothing deletes it by name.
  const int file = _wopen(wide.get(), _O_RDWR | _O_CREAT | _O_EXCL | _O_TEMPORARY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
  if (file < 0) {
    if (nameTaken) *nameTaken = errno == EEXIST;
    return platformNoFile;
  }
  return file;
}

size_t systemWrite(int file, const void* data, size_t bytes) {
  const char* from = static_cast<const char*>(data);
  size_t done = 0;
  while (done < bytes) {
    const size_t part = bytes - done < chunkBytes ? bytes - done : chunkBytes;
    const int n = _write(file, from + done, static_cast<unsigned>(part));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool systemSeekToStart(int file) { return _lseek(file, 0, SEEK_SET) == 0; }

size_t systemRead(int file, void* data, size_t bytes) {
  char* into = static_cast<char*>(data);
  size_t done = 0;
  while (done < bytes) {
    const size_t part = bytes - done < chunkBytes ? bytes - done : chunkBytes;
    const int n = _read(file, into + done, static_cast<unsigned>(part));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void systemClose(int file) { _close(file); }
