// The spill-file calls: the system's (platform/system_files.h), or a test layer put in front.
#include "platform/file.h"

#include <atomic>

#include "platform/system_files.h"

namespace {
// Null means the system's file calls.
std::atomic<PlatformFiles*> installedFiles{nullptr};

PlatformFiles* layer() { return installedFiles.load(std::memory_order_acquire); }
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