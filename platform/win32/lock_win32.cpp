#include <windows.h>

#include <new>

#include "platform/lock.h"

static_assert(sizeof(CRITICAL_SECTION) <= 48, "RecursiveLock storage holds a critical section");

RecursiveLock::RecursiveLock() {
  InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_));
}
RecursiveLock::~RecursiveLock() {
  DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_));
}
void RecursiveLock::lock() { EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void RecursiveLock::unlock() {
  LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_));
}
