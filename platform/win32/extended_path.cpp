#include "platform/win32/extended_path.h"

#include <windows.h>

#include <cstdlib>

namespace {
bool startsWith(const wchar_t* text, const wchar_t* prefix) {
  return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

bool isExtendedOrDevice(const wchar_t* path) {
  return startsWith(path, L"\\\\?\\") || startsWith(path, L"\\\\.\\");
}

wchar_t* allocateUnits(size_t units) {
  return static_cast<wchar_t*>(std::malloc(units * sizeof(wchar_t)));
}

// The full form of path in a block from malloc, or null.
wchar_t* fullPath(const wchar_t* path) {
  const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) return nullptr;
  wchar_t* full = allocateUnits(needed);
  if (full == nullptr) return nullptr;
  const DWORD n = GetFullPathNameW(path, needed, full, nullptr);
  if (n == 0 || n >= needed) {
    std::free(full);
    return nullptr;
  }
  return full;
}
}  // namespace

wchar_t* extendedLengthPath(const wchar_t* path) {
  if (path == nullptr || std::wcslen(path) < MAX_PATH || isExtendedOrDevice(path)) return nullptr;
  wchar_t* full = fullPath(path);
  if (full == nullptr) return nullptr;
  if (isExtendedOrDevice(full)) return full;
  // "\\server\share\..." becomes "\\?\UNC\server\share\...", "C:\..." becomes "\\?\C:\...".
  const bool network = startsWith(full, L"\\\\");
  const wchar_t* prefix = network ? L"\\\\?\\UNC" : L"\\\\?\\";
  const wchar_t* rest = network ? full + 1 : full;
  const size_t prefixUnits = std::wcslen(prefix);
  const size_t restUnits = std::wcslen(rest);
  wchar_t* extended = allocateUnits(prefixUnits + restUnits + 1);
  if (extended != nullptr) {
    std::wmemcpy(extended, prefix, prefixUnits);
    std::wmemcpy(extended + prefixUnits, rest, restUnits + 1);
  }
  std::free(full);
  return extended;
}
