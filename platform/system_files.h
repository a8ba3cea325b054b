// The system's spill-file calls, one implementation per OS (posix/, win32/). Used only by
// platform/file.cpp, which puts a test layer in front when one is installed.
#ifndef ORN_PLATFORM_SYSTEM_FILES_H_
#define ORN_PLATFORM_SYSTEM_FILES_H_

#include <cstddef>

int systemOpenSpill(const char16_t* path, bool* nameTaken);
size_t systemWrite(int file, const void* data, size_t bytes);
bool systemSeekToStart(int file);
size_t systemRead(int file, void* data, size_t bytes);
void systemClose(int file);

#endif  // ORN_PLATFORM_SYSTEM_FILES_H_
