// The system's directory for temporary files: where spill files go when the host names none.
#ifndef ORN_PLATFORM_TEMP_DIRECTORY_H_
#define ORN_PLATFORM_TEMP_DIRECTORY_H_

#include <cstddef>

// Writes the system's temp directory into out (room for capacity units) as a zero-terminated
// UTF-16 path without a trailing separator (a drive root keeps its own) and answers its length.
// Windows: GetTempPathW. Linux: $TMPDIR when it is an absolute path, else /tmp. Answers 0 (out
// holding "") when none is known or it does not fit. Allocates nothing; thread-safe.
size_t platformSystemTempDirectory(char16_t* out, size_t capacity);

#endif  // ORN_PLATFORM_TEMP_DIRECTORY_H_
