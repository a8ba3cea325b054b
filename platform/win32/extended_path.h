// Paths of any length for the runtime's and the kernel's file calls on Windows.
#ifndef ORN_PLATFORM_WIN32_EXTENDED_PATH_H_
#define ORN_PLATFORM_WIN32_EXTENDED_PATH_H_

#include <cwchar>

// The extended-length form of a path of MAX_PATH characters or more, which the file calls accept
// whatever its length: made full (relative parts resolved against the current directory, '/'
// turned into '\') and prefixed, "\\?\C:\..." for a drive path, "\\?\UNC\server\..." for a network
// path. Returns a block from malloc that the caller frees, or null when path is usable as it
// stands (shorter than MAX_PATH, or already "\\?\" or "\\.\") or when no memory can be had for
// the longer form; the caller then uses path itself. Allocates nothing for a short path, so the
// spill can call it when memory is short.
wchar_t* extendedLengthPath(const wchar_t* path);

#endif  // ORN_PLATFORM_WIN32_EXTENDED_PATH_H_
