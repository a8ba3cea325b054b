#include "tempfile/temp_path.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "core/host.h"
#include "core/no_destructor.h"
#include "core/service_ptr.h"
#include "core/teardown.h"
#include "platform/clock.h"
#include "platform/temp_directory.h"

const char* const tempDirectoryKey = "Directories/Temp Directory";

namespace {

// The name asked of the host's directory service.
const char* const tempDirectoryName = "temp";
// "\orn-%08x-%08x-temp": backslash, "orn-", two fields of eight hex digits, "-temp".
const char* const tempFileNamePattern = "\\orn-%08x-%08x-temp";
constexpr size_t tempFileNameLength = 27;

using DirServiceHolder = SPtr<IOrnDirService>;

// The directory service, looked up once on first use and kept whatever the answer. Never
// destroyed: the exit list drops its reference. Not synchronised.
DirServiceHolder& dirService() {
  static NoDestructor<DirServiceHolder> holder;
  [[maybe_unused]] static const bool dropsAtUnload =
      (registerTeardown([] { dirService().reset(); }), true);
  return *holder;
}

// Answered when there is no directory service. Built on first need; owns nothing.
const OrnWString& emptyDirectory() {
  static const OrnWString empty;
  return empty;
}

// A single backslash, borrowed: never written, never released.
const OrnWString& driveRootSeparator() {
  static const OrnWString separator = [] {
    static const char16_t backslash[] = u"\\";
    OrnWString borrowing;
    borrowing.assignText(backslash, 0);
    return borrowing;
  }();
  return separator;
}

// Room for the system's temp directory; a longer one is not used.
constexpr size_t systemTempDirectoryUnits = 1024;

}  // namespace

bool isRootedDirectory(const OrnWString& dir) {
  if (dir.empty()) return false;
  return dir.text[0] == u'\\' || dir.text[0] == u'/' || dir.text[1] == u':';
}

void systemTempDirectoryPath(OrnWString& out) {
  char16_t dir[systemTempDirectoryUnits];
  out.releaseText();
  if (platformSystemTempDirectory(dir, systemTempDirectoryUnits) > 0) out.assignText(dir, -1);
}

bool makeTempFilePath(OrnWString& out) {
  const uint64_t counter = platformPerformanceCounter();
  const uint32_t processId = platformProcessId();

  SPtr<IDataStore> store;
  out.releaseText();
  bool configured = false;
  if (store) {
    out.assign(store->stringValue(tempDirectoryKey, 0));
    configured = isRootedDirectory(out);
  }
  // Empty or relative, the spill file would land in the root or wherever the process runs.
  if (!configured) {
    out.assign(withDriveRoot(serviceTempDirectory()));
    if (!isRootedDirectory(out)) systemTempDirectoryPath(out);
  }

  char name[tempFileNameLength + 1];
  std::snprintf(name, sizeof name, tempFileNamePattern, static_cast<unsigned>(processId),
                static_cast<unsigned>(counter & 0xFFFFFFFFu));
  out.append(OrnWString(name));
  return true;
}

const OrnWString& serviceTempDirectory() {
  DirServiceHolder& service = dirService();
  if (service) return service->directory(tempDirectoryName);
  return emptyDirectory();
}

OrnWString withDriveRoot(const OrnWString& dir) {
  if (dir.text != nullptr && dir.length() == 2 && dir.text[1] == u':') {
    OrnWString rooted(dir);
    rooted.append(driveRootSeparator());
    return OrnWString(rooted);
  }
  return OrnWString(dir);
}
