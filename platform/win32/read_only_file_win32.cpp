#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/read_only_file.h"
#include "platform/win32/extended_path.h"
#include "platform/win32/system_text.h"

namespace {

PathKind kindOfError(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                 code == ERROR_INVALID_NAME || code == ERROR_BAD_NETPATH
             ? PathKind::missing
             : PathKind::unreadable;
}

// One read moves at most this much.
constexpr DWORD chunkBytes = 1u << 30;
}  // namespace

bool ReadOnlyFile::open(const std::string& path, PathKind* kind, std::string* why) {
  close();
  if (why) why->clear();
  const std::wstring wide = widenUtf8(path);
  if (wide.empty()) {
    *kind = PathKind::missing;
    return false;
  }
  wchar_t* extended = extendedLengthPath(wide.c_str());  // a path deeper than MAX_PATH
  const wchar_t* name = extended ? extended : wide.c_str();
  const DWORD attributes = GetFileAttributesW(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    std::free(extended);
    *kind = kindOfError(code);
    if (why) *why = systemErrorText(code, "system error");
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    std::free(extended);
    *kind = PathKind::directory;
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DEVICE) {
    std::free(extended);
    *kind = PathKind::device;
    return false;
  }
  // Sharing everything: a file another process has open, even for writing, can still be read.
  const HANDLE file =
      CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD openError = GetLastError();
  std::free(extended);
  if (file == INVALID_HANDLE_VALUE) {
    *kind = kindOfError(openError);
    if (why) *why = systemErrorText(openError, "system error");
    return false;
  }
  const DWORD type = GetFileType(file);
  BY_HANDLE_FILE_INFORMATION information{};
  LARGE_INTEGER size{};
  if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(file, &size)) {
    *kind = type == FILE_TYPE_PIPE                                    ? PathKind::fifo
            : type == FILE_TYPE_CHAR                                  ? PathKind::device
            : information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::directory
                                                                      : PathKind::other;
    CloseHandle(file);
    return false;
  }
  *kind = PathKind::regular;
  handle_ = reinterpret_cast<intptr_t>(file);
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

size_t ReadOnlyFile::readAt(uint64_t offset, void* into, size_t bytes) {
  if (handle_ == noHandle) return 0;
  char* to = static_cast<char*>(into);
  size_t done = 0;
  while (done < bytes) {
    const uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD part = bytes - done < chunkBytes ? static_cast<DWORD>(bytes - done) : chunkBytes;
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), to + done, part, &n, &where) || n == 0) break;
    done += n;
  }
  return done;
}

void ReadOnlyFile::close() {
  if (handle_ != noHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = noHandle;
  size_ = 0;
}

size_t platformCopyReadableMemory(const void* from, void* into, size_t bytes) {
  // ReadProcessMemory on this process answers false instead of faulting where nothing is
  // readable; page by page, so that the readable head of a range is copied.
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const size_t page = system.dwPageSize ? system.dwPageSize : 4096;
  const uintptr_t start = reinterpret_cast<uintptr_t>(from);
  size_t done = 0;
  while (done < bytes) {
    const uintptr_t at = start + done;
    size_t part = page - at % page;
    if (part > bytes - done) part = bytes - done;
    SIZE_T n = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(at),
                           static_cast<char*>(into) + done, part, &n) ||
        n == 0) {
      break;
    }
    done += n;
    if (n < part) break;
  }
  return done;
}
