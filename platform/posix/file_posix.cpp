#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "platform/file.h"

namespace {

// Null means the system's file calls.
std::atomic<PlatformFiles*> installedFiles{nullptr};

PlatformFiles* layer() { return installedFiles.load(std::memory_order_acquire); }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The UTF-8 form of a Windows-style UTF-16 path: '\' becomes '/', surrogate pairs are joined and a
// lone surrogate becomes U+FFFD.
std::string posixPath(const char16_t* path) {
  std::string out;
  if (path == nullptr) return out;
  for (const char16_t* p = path; *p != 0; ++p) {
    char32_t c = *p;
    if (c == u'\\') {
      c = u'/';
    } else if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

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
  // Deleted when closed: the name goes at once, so nobody can open the contents by name.
  ::unlink(name.c_str());
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

bool systemUnlink(const char16_t* path) { return ::unlink(posixPath(path).c_str()) == 0; }

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
