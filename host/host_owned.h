// HostOwned<I>: counting for the objects a host offers to modules (its services, its shared
// pool, its translator).
#ifndef ORN_HOST_HOST_OWNED_H_
#define ORN_HOST_HOST_OWNED_H_

#include <cstdint>

#include "core/object.h"

// The host owns these objects and holds one reference of its own from construction on, so a
// module's release never brings them to 0. The count changes atomically, whatever thread a module
// calls from, and a release is never a destruction: a module that releases more often than it
// took drives the count below 1, which the host reports instead of freeing a member object.
template <class I>
class HostOwned : public I {
 public:
  HostOwned() { this->refCountField = 1; }

  void addRef() noexcept override { __atomic_add_fetch(&this->refCountField, 1, __ATOMIC_ACQ_REL); }
  void release() noexcept override {
    __atomic_sub_fetch(&this->refCountField, 1, __ATOMIC_ACQ_REL);
  }
  int refCount() noexcept override {
    return __atomic_load_n(&this->refCountField, __ATOMIC_ACQUIRE);
  }

  // References held by others than the host itself.
  int32_t outsideReferences() { return refCount() - 1; }
};

#endif  // ORN_HOST_HOST_OWNED_H_
