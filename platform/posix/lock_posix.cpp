// STUB: replaced by the futex lock.
#include <mutex>
#include <new>

#include "platform/lock.h"

RecursiveLock::RecursiveLock() { new (storage_) std::recursive_mutex(); }
RecursiveLock::~RecursiveLock() { reinterpret_cast<std::recursive_mutex*>(storage_)->~recursive_mutex(); }
void RecursiveLock::lock() { reinterpret_cast<std::recursive_mutex*>(storage_)->lock(); }
void RecursiveLock::unlock() { reinterpret_cast<std::recursive_mutex*>(storage_)->unlock(); }
