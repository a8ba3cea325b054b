// The check a module file passes before anything maps it: a regular file of believable size
// whose headers are those of a module this build can load, with every part they point at inside
// the file. The loader maps what the headers describe; a part beyond the end of the file (a
// truncated copy) would fault on first touch instead of failing to load.
#ifndef ORN_HOST_MODULE_FILE_H_
#define ORN_HOST_MODULE_FILE_H_

#include <cstdint>
#include <string>

// The largest module file the host opens.
constexpr uint64_t moduleFileSizeLimit = uint64_t{512} << 20;

// The kinds of module a host may be built to load.
enum class ModuleFormat {
  elf64X86_64,  // a Linux shared object
  pe32I386,     // a 32-bit Windows DLL
};

// The format this build loads.
#if defined(_WIN32)
constexpr ModuleFormat nativeModuleFormat = ModuleFormat::pe32I386;
#else
constexpr ModuleFormat nativeModuleFormat = ModuleFormat::elf64X86_64;
#endif

enum class ModuleFileVerdict {
  loadable,  // a module of the format asked for, whole
  missing,   // nothing at the path
  refused,   // something else: not a regular file, too small or large, another kind, cut short
};

// Opens path without blocking (a FIFO or device is refused before it is opened), reads its
// headers and checks them against format. Anything but loadable fills *error with one line that
// starts with the path, e.g. "m.so: no such file", "m.so: not a loadable module: it is a
// directory", "m.so: not a loadable module: the file is cut short (...)". Maps nothing.
ModuleFileVerdict checkModuleFile(const std::string& path, ModuleFormat format, std::string* error);

#endif  // ORN_HOST_MODULE_FILE_H_
