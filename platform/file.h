// Spill files of guarded reallocation: created exclusively at a UTF-16 path, written once, read
// back once and closed within one reallocation. A spill file is removed through its handle only
// (POSIX: its name goes as soon as it is created; Windows: deleted when closed), never by name
// afterwards, so whatever someone puts at the name meanwhile is left alone. Tests can put a
// fault-injecting file layer in front of the system's (see installPlatformFiles).
#ifndef ORN_PLATFORM_FILE_H_
#define ORN_PLATFORM_FILE_H_

#include <cstddef>

// A file handle: a C runtime descriptor; platformNoFile when there is none.
constexpr int platformNoFile = -1;

// On every call below: path is a zero-terminated UTF-16 path in Windows form ('\' separators;
// POSIX maps them to '/' and converts to UTF-8). Thread-safe as the runtime's file calls are.

// Creates the file at path for reading and writing, binary, owner-only, and only if nothing exists
// there yet: an existing file or link at path is never opened, followed or truncated. The file is
// gone once closed: POSIX unlinks the name at once, after checking that it still names the file
// just created; Windows opens it delete-on-close. Returns the handle, or platformNoFile with
// *nameTaken telling whether the failure was that path already exists (nameTaken may be null).
int platformOpenSpillFile(const char16_t* path, bool* nameTaken);
// Writes bytes from data; returns how many were written (fewer on failure).
size_t platformWriteFile(int file, const void* data, size_t bytes);
// Moves to the start of the file; false on failure.
bool platformSeekToStart(int file);
// Reads up to bytes into data; returns how many were read (fewer at the end or on failure).
size_t platformReadFile(int file, void* data, size_t bytes);
// Closes the file, which removes it.
void platformCloseFile(int file);

// The file layer behind the calls above. The base class is the system's; a test layer derives
// from it, overrides what it wants to fail, and forwards the rest.
class PlatformFiles {
 public:
  virtual ~PlatformFiles() = default;
  virtual int openSpill(const char16_t* path, bool* nameTaken);
  virtual size_t write(int file, const void* data, size_t bytes);
  virtual bool seekToStart(int file);
  virtual size_t read(int file, void* data, size_t bytes);
  virtual void close(int file);
};

// Puts files in front of every platform file call (null: back to the system's) and returns the
// layer installed before. The caller keeps files alive until it is replaced.
PlatformFiles* installPlatformFiles(PlatformFiles* files);

#endif  // ORN_PLATFORM_FILE_H_
