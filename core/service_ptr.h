// Service pointers: holders of one reference to a host service, looked up by interface name.
#ifndef ORN_CORE_SERVICE_PTR_H_
#define ORN_CORE_SERVICE_PTR_H_

#include "core/host.h"
#include "core/object.h"
#include "text/orn_string.h"

// Holds one reference to an object seen as interface I, or nothing. Invariant: `unknown` is
// non-null exactly when the holder owns a reference; iface and unknown are set and cleared
// together. Not synchronised. I::lookupName is the name asked of the host.
template <class I, class U = IOrnUnknown>
class IPtr {
 public:
  I* iface = nullptr;
  U* unknown = nullptr;

  IPtr() = default;
  IPtr(const IPtr&) = delete;
  IPtr& operator=(const IPtr&) = delete;
  virtual ~IPtr() { reset(); }

  // Drops the held reference, then asks the host for I::lookupName. Returns the host's result, or
  // 0 without calling anything when no host is attached. Takes one reference on what it finds.
  int acquire() {
    reset();
    int result = 0;
    OrnString name = OrnString::borrowing(I::lookupName);
    if (moduleHost != nullptr) {
      void* found = nullptr;
      result = moduleHost->getService(name, &found);
      iface = static_cast<I*>(found);
    }
    name.clear();
    if (iface != nullptr) {
      unknown = static_cast<U*>(iface);
      unknown->addRef();
    }
    return result;
  }

  // Holds p instead; the new reference is taken before the old one is dropped.
  void assign(I* p) {
    if (p != nullptr) static_cast<U*>(p)->addRef();
    if (unknown != nullptr) {
      U* old = unknown;
      unknown = nullptr;
      old->release();
    }
    iface = p;
    unknown = p ? static_cast<U*>(p) : nullptr;
  }

  void reset() {
    if (unknown != nullptr) {
      U* old = unknown;
      unknown = nullptr;
      iface = nullptr;
      old->release();
    }
    iface = nullptr;
  }

  I* get() const { return iface; }
  I* operator->() const { return iface; }
  explicit operator bool() const { return iface != nullptr; }
};

// An IPtr that fetches its service when constructed.
template <class I, class U = IOrnUnknown>
class SPtr : public IPtr<I, U> {
 public:
  SPtr() { this->acquire(); }
};

#endif  // ORN_CORE_SERVICE_PTR_H_
