#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

#include <atomic>
#include <climits>

#include "platform/file.h"

namespace {

// Null means the runtime's file calls.
std::atomic<PlatformFiles*> installedFiles{nullptr};

PlatformFiles* layer() { return installedFiles.load(std::memory_order_acquire); }

const wchar_t* widePath(const char16_t* path) {
  static const wchar_t none[] = L"";
  return path ? reinterpret_cast<const wchar_t*>(path) : none;
}

// One runtime transfer moves at most this much.
constexpr size_t chunkBytes = INT_MAX / 2;

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

}  // namespace

int PlatformFiles::openSpill(const char16_t* path, bool* nameTaken) {
  return systemOpenSpill(path, nameTaken);
}
size_t PlatformFiles::write(int file, const void* data, size_t bytes) {
  return systemWrite(file, data, bytes);
}
bool PlatformFiles::seekToStart(int file) { return systemSeekToStart(file); }
size_t PlatformFiles::read(int file, void* data, size_t bytes) {
  return systemRead(file, data, bytes);
}
void PlatformFiles::close(int file) { systemClose(file); }
bool PlatformFiles::unlink(const char16_t* path) { return systemUnlink(path); }

PlatformFiles* installPlatformFiles(PlatformFiles* files) {
  return installedFiles.exchange(files, std::memory_order_acq_rel);
}

int platformOpenSpillFile(const char16_t* path, bool* nameTaken) {
  PlatformFiles* files = layer();
  return files ? files->openSpill(path, nameTaken) : systemOpenSpill(path, nameTaken);
}
size_t platformWriteFile(int file, const void* data, size_t bytes) {
  PlatformFiles* files = layer();
  return files ? files->write(file, data, bytes) : systemWrite(file, data, bytes);
}
bool platformSeekToStart(int file) {
  PlatformFiles* files = layer();
  return files ? files->seekToStart(file) : systemSeekToStart(file);
}
size_t platformReadFile(int file, void* data, size_t bytes) {
  PlatformFiles* files = layer();
  return files ? files->read(file, data, bytes) : systemRead(file, data, bytes);
}
void platformCloseFile(int file) {
  PlatformFiles* files = layer();
  if (files) {
    files->close(file);
  } else {
    systemClose(file);
  }
}
bool platformUnlinkFile(const char16_t* path) {
  PlatformFiles* files = layer();
  return files ? files->unlink(path) : systemUnlink(path);
}
