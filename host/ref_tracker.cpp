#include "host/ref_tracker.h"

#include "core/object.h"
#include "host/host_boundary.h"

IOrnUnknown* RefTracker::objectOf(int32_t* count) {
  return reinterpret_cast<IOrnUnknown*>(reinterpret_cast<char*>(count) - sizeof(void*));
}

RefTracker::Record& RefTracker::recordFor(int32_t* count) {
  IOrnUnknown* object = objectOf(count);
  Record& record = records_[object];
  // A new record, or an address reused by a new object after the old one was destroyed.
  if (record.className.empty() || record.destroyed) {
    const char* name = object->className();
    record = Record();
    record.className = name ? name : "?";
  }
  return record;
}

void RefTracker::addRef(int32_t* count) noexcept {
  const int32_t now = __atomic_add_fetch(count, 1, __ATOMIC_ACQ_REL);
  hostBoundaryWith(
      [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        ++addRefCalls_;
        Record& record = recordFor(count);
        ++record.balance;
        record.count = now;
      },
      [&]() noexcept { ++lostRecords_; });
}

bool RefTracker::release(int32_t* count) noexcept {
  // Read the class name before the decrement: once it reaches 0 another thread may already be
  // destroying the object. Only the lock and recordFor can throw, and both come before the
  // decrement, so the fallback decrements exactly once.
  return hostBoundaryWith(
      [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        ++releaseCalls_;
        Record& record = recordFor(count);
        const int32_t now = __atomic_sub_fetch(count, 1, __ATOMIC_ACQ_REL);
        --record.balance;
        record.count = now;
        record.destroyed = now == 0;
        return now == 0;
      },
      [&]() noexcept {
        ++lostRecords_;
        return __atomic_sub_fetch(count, 1, __ATOMIC_ACQ_REL) == 0;
      });
}

std::vector<HeldObject> RefTracker::heldObjects() const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<HeldObject> held;
  for (const auto& [address, record] : records_) {
    if (record.balance > 0 && !record.destroyed) {
      held.push_back(HeldObject{address, record.className, record.balance, record.count});
    }
  }
  return held;
}

bool RefTracker::destroyedByRelease(const void* unknown) const {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = records_.find(unknown);
  return it != records_.end() && it->second.destroyed;
}

void RefTracker::clear() {
  std::lock_guard<std::mutex> guard(mutex_);
  records_.clear();
  lostRecords_.store(0);
}

int64_t RefTracker::addRefCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return addRefCalls_;
}

int64_t RefTracker::releaseCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return releaseCalls_;
}
