#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/module_loader.h"
#include "platform/win32/extended_path.h"
#include "platform/win32/system_text.h"

namespace {

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
  if (bytes > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
  }
  utf8.resize(utf8.size() - 1);
  return utf8;
}

// The longest path the system handles, in UTF-16 units.
constexpr size_t maxExtendedPath = 32768;

}  // namespace

ModuleHandle platformLoadModule(const std::string& path, std::string* error) {
  // No error dialogs for a bad file: the caller reports it in one line. The mode is this
  // thread's only, so a host loading on several threads does not change another's.
  DWORD previous = 0;
  const bool modeSet =
      SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous) != 0;
  HMODULE module = LoadLibraryW(widenUtf8(path).c_str());
  const DWORD loadError = GetLastError();
  if (modeSet) SetThreadErrorMode(previous, nullptr);
  SetLastError(loadError);
  if (module == nullptr && error != nullptr)
    *error = systemErrorText(loadError, "cannot load module");
  return reinterpret_cast<ModuleHandle>(module);
}

void* platformModuleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void platformUnloadModule(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

std::string platformExecutableDirectory() {
  // GetModuleFileNameW cuts a path that does not fit at the buffer's size (an executable deeper
  // than MAX_PATH): grow the buffer until the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return ".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= maxExtendedPath) return ".\\";
    path.resize(path.size() * 2);
  }
  return narrow(path.substr(0, path.find_last_of(L"\\/") + 1));
}

bool platformFileExists(const std::string& path) {
  const std::wstring wide = widenUtf8(path);
  wchar_t* extended = extendedLengthPath(wide.c_str());  // a path deeper than MAX_PATH
  const DWORD attributes = GetFileAttributesW(extended ? extended : wide.c_str());
  std::free(extended);
  return attributes != INVALID_FILE_ATTRIBUTES;
}
