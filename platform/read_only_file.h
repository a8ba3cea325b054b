// Reading a file the host only reads (a module before it is loaded, a settings file, a
// catalogue) without ever blocking on something that is not a regular file: what the path names
// is asked first, and only a regular file is opened, in a way that cannot wait for a writer.
#ifndef ORN_PLATFORM_READ_ONLY_FILE_H_
#define ORN_PLATFORM_READ_ONLY_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

// What a path names.
enum class PathKind { missing, regular, directory, fifo, device, socket, other, unreadable };

// "a directory", "a FIFO (named pipe)", ...: for messages such as "PATH is a directory".
const char* pathKindText(PathKind kind);

// One regular file opened for reading; not copyable. Others may write or delete the file
// meanwhile (it is opened sharing everything on Windows): size() is the size seen when opened.
// Not synchronised: one thread at a time.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile() { close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens path (UTF-8) when it names a regular file (a link to one counts). Otherwise false,
  // nothing left open, *kind telling what the path names and *why (may be null) the system's
  // reason when there is one.
  bool open(const std::string& path, PathKind* kind, std::string* why);
  bool isOpen() const { return handle_ != noHandle; }
  uint64_t size() const { return size_; }
  // Reads up to bytes from offset into into; returns how many were read (fewer at the end of
  // the file or on a failure).
  size_t readAt(uint64_t offset, void* into, size_t bytes);
  void close();

 private:
  static constexpr intptr_t noHandle = -1;
  intptr_t handle_ = noHandle;  // a descriptor (POSIX) or a HANDLE (Windows); owned
  uint64_t size_ = 0;
};

// Copies up to bytes from from into into, stopping at the first byte this process may not read
// (an address no mapping covers), without faulting and without a sanitizer's view of the source
// (the system copies). Returns how many bytes were copied. For memory a module hands the host
// with a length the host cannot trust.
size_t platformCopyReadableMemory(const void* from, void* into, size_t bytes);

#endif  // ORN_PLATFORM_READ_ONLY_FILE_H_
