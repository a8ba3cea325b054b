#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/command_line.h"
#include "platform/utf.h"

std::vector<std::string> platformUtf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  if (count == argc) {  // split as the runtime split argv: the same arguments, in UTF-8
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      arguments.push_back(utf8FromUtf16(reinterpret_cast<const char16_t*>(wide[i])));
    }
  } else {
    arguments.assign(argv, argv + argc);
  }
  LocalFree(wide);
  return arguments;
}
