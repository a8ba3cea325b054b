#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

#include <climits>

#include "platform/file.h"
#include "platform/system_files.h"

namespace {
const wchar_t* widePath(const char16_t* path) {
  static const wchar_t none[] = L"";
  return path ? reinterpret_cast<const wchar_t*>(path) : none;
}

// One runtime transfer moves at most this much.
constexpr size_t chunkBytes = INT_MAX / 2;
}  // namespace

int systemOpenSpill(const char16_t* path, bool* nameTaken) {
  if (nameTaken) *nameTaken = false;
  // Read-write, created only if missing, deleted when closed, binary; owner read and write.
  const int file = _wopen(widePath(path), _O_RDWR | _O_CREAT | _O_EXCL | _O_TEMPORARY | _O_BINARY,
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

bool systemUnlink(const char16_t* path) { return _wunlink(widePath(path)) == 0; }
