// RefTracker: the host's counting hooks for module objects, with a record per counted object.
#ifndef ORN_HOST_REF_TRACKER_H_
#define ORN_HOST_REF_TRACKER_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class IOrnUnknown;

// A module object that still holds references taken through the hooks.
struct HeldObject {
  const void* address;    // the object's IOrnUnknown part (gone once its module is unloaded)
  std::string className;  // copied when the object was first counted
  int32_t balance;        // references taken through the hooks and not given back
  int32_t count;          // the count after the last change
};

// The count changes atomically; "destroy" is decided from the value the decrement returned, so
// two threads releasing at once never both destroy. The records are guarded by a mutex of their
// own; the count itself is never read under it. The hooks never throw: when a record cannot be
// kept (memory has run out) the count still changes and the loss is counted in lostRecords.
class RefTracker {
 public:
  // The object whose refCountField sits at count: the field follows the vtable pointer of the
  // object's IOrnUnknown part.
  static IOrnUnknown* objectOf(int32_t* count);

  void addRef(int32_t* count) noexcept;
  // True when the decrement reached 0: the module then destroys the object.
  bool release(int32_t* count) noexcept;

  // Objects with a positive balance, in address order.
  std::vector<HeldObject> heldObjects() const;
  // Whether the last release of the object at unknown decided its destruction.
  bool destroyedByRelease(const void* unknown) const;
  // Forgets every record (objects of an unloaded module) and the count of lost ones.
  void clear();

  int64_t addRefCalls() const;
  int64_t releaseCalls() const;
  // Hook calls whose record could not be kept: while above 0, heldObjects may be incomplete.
  int64_t lostRecords() const { return lostRecords_.load(); }

 private:
  struct Record {
    std::string className;
    int32_t balance = 0;
    int32_t count = 0;
    bool destroyed = false;
  };
  Record& recordFor(int32_t* count);

  mutable std::mutex mutex_;
  std::map<const void*, Record> records_;  // guarded by mutex_
  int64_t addRefCalls_ = 0;                // guarded by mutex_
  int64_t releaseCalls_ = 0;               // guarded by mutex_
  std::atomic<int64_t> lostRecords_{0};
};

#endif  // ORN_HOST_REF_TRACKER_H_
