#include "memory/spill.h"

#include <cstdlib>
#include <cstring>

#include "memory/manager_retry.h"
#include "memory/out_of_memory.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "tempfile/temp_path.h"
#include "text/orn_wstring.h"

namespace {

const char16_t* pathText(const OrnWString& path) { return path.text ? path.text : u""; }

// Creates the spill file at a fresh path. The path is predictable, so something may already sit
// there (planted or left over): then another name is taken, a few times at most.
int openSpillFile(OrnWString& path) {
  for (int attempt = 0; attempt < spillNameAttempts; ++attempt) {
    makeTempFilePath(path);
    bool nameTaken = false;
    const int file = platformOpenSpillFile(pathText(path), &nameTaken);
    if (file != platformNoFile || !nameTaken) return file;
  }
  return platformNoFile;
}

// The spill file goes with its handle (see platformOpenSpillFile): nothing is ever deleted by
// name, so a file someone puts at the name meanwhile is left alone.
void closeAndDelete(int file) { platformCloseFile(file); }

}  // namespace

int spillRealloc(void** block, size_t oldBytes, size_t newBytes, int newCount,
                 OrnMM::IOrnMManager*& manager) {
  OrnWString path;
  const int file = openSpillFile(path);
  if (file == platformNoFile) ubrGiveUp(ubrSpillOpenFailed);

  if (platformWriteFile(file, *block, oldBytes) != oldBytes) {
    closeAndDelete(file);
    ubrGiveUp(ubrSpillWriteShort);
  }

  // From here on the contents exist only in the file.
  platformFree(*block);
  *block = nullptr;
  void* fresh = platformMalloc(newBytes);
  if (fresh == nullptr) fresh = retryWithManager(manager, newBytes);
  if (fresh == nullptr) {
    closeAndDelete(file);
    ubrGiveUp(ubrOutOfMemory);
  }

  if (!platformSeekToStart(file) || platformReadFile(file, fresh, oldBytes) != oldBytes) {
    closeAndDelete(file);
    platformFree(fresh);
    ubrGiveUp(ubrSpillReadFailed);
  }

  closeAndDelete(file);
  std::memset(static_cast<char*>(fresh) + oldBytes, 0, newBytes - oldBytes);
  *block = fresh;
  path.releaseText();
  return newCount;
}
