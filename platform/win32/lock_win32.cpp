#include <windows.h>

#include "platform/lock.h"

static_assert(sizeof(CRITICAL_SECTION) <= 48, "RecursiveLock storage holds a critical section");

namespace {
CRITICAL_SECTION* section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
}  // namespace

// A short spin before sleeping: pool operations hold the lock for well under a microsecond.
RecursiveLock::RecursiveLock() { InitializeCriticalSectionAndSpinCount(section(storage_), 1000); }
RecursiveLock::~RecursiveLock() { DeleteCriticalSection(section(storage_)); }
void RecursiveLock::lock() { EnterCriticalSection(section(storage_)); }
void RecursiveLock::unlock() { LeaveCriticalSection(section(storage_)); }

bool RecursiveLock::heldByCurrentThread() const {
  const CRITICAL_SECTION* cs = reinterpret_cast<const CRITICAL_SECTION*>(storage_);
  return cs->RecursionCount > 0 &&
         cs->OwningThread == reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
}
