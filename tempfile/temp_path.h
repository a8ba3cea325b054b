// Names the temporary spill files of guarded reallocation.
#ifndef ORN_TEMPFILE_TEMP_PATH_H_
#define ORN_TEMPFILE_TEMP_PATH_H_

#include "text/orn_wstring.h"

// Settings key of the configured temporary directory.
extern const char* const tempDirectoryKey;

// Fills out with the configured temporary directory (else the directory service's "temp"
// directory, a bare drive getting its backslash; else the system's temp directory) followed by
// "\orn-%08x-%08x-temp" from the process id and the low half of the performance counter. A
// directory that is empty or not rooted (see isRootedDirectory) counts as not given. Releases what
// out held first. Always returns true. Creates nothing.
bool makeTempFilePath(OrnWString& out);
// Whether dir begins at a root ('\' or '/') or a drive ("D:", "D:\Temp"), so that a spill file
// under it does not depend on the current directory. Empty: false.
bool isRootedDirectory(const OrnWString& dir);
// Fills out with the system's temp directory (platformSystemTempDirectory), or empty when the
// system names none.
void systemTempDirectoryPath(OrnWString& out);
// The directory service's "temp" directory, or an empty string; the service is looked up once.
const OrnWString& serviceTempDirectory();
// A copy of dir with a backslash appended when dir is a bare drive ("E:").
OrnWString withDriveRoot(const OrnWString& dir);

#endif  // ORN_TEMPFILE_TEMP_PATH_H_
