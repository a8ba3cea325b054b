// A module whose heap cannot grow a block in place: every instance of its one class grows a block
// through guarded reallocation, which must go through the spill file in the host's Temp
// Directory. Where the spill cannot be made, the module tells the host and ends the process.
#include <cstring>

#include "core/class_factory.h"
#include "core/component.h"
#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"

namespace {
constexpr int oldBytes = 256 << 10;
constexpr int newBytes = 1 << 20;

// The runtime's heap, except that growing a block to newBytes or more fails; small requests (the
// pool's, the spill path's) are served as ever.
class NoGrowthHeap : public PlatformHeap {
 public:
  void* reallocate(void* block, size_t size) override {
    if (block != nullptr && size >= static_cast<size_t>(newBytes) / 2) return nullptr;
    return PlatformHeap::reallocate(block, size);
  }
};

// Grows a block of known bytes through the spill and checks that it came back whole.
int growThroughTheSpill() {
  static NoGrowthHeap heap;
  PlatformHeap* previous = installPlatformHeap(&heap);
  void* block = nullptr;
  ubrMalloc(&block, 1, oldBytes);
  std::memset(block, 0x5A, oldBytes);
  const int got = ubrRealloc(&block, 1, oldBytes, newBytes, -1);
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  int intact = got == newBytes ? 1 : 0;
  for (int i = 0; intact && i < oldBytes; ++i) intact = bytes[i] == 0x5A;
  for (int i = oldBytes; intact && i < newBytes; ++i) intact = bytes[i] == 0;
  platformFree(block);
  installPlatformHeap(previous);
  // Said as a note, so that the test sees the spill came back whole (or not).
  SPtr<IOrnErrorService> errors;
  if (errors) {
    const int severity = 3;
    errors->reportError(OrnWString(intact ? "spilled and read back intact" : "spill damaged"),
                        severity, emptyExtra);
  }
  return intact;
}

class ISpilled : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "ISpilled";
  virtual int intact() = 0;
};

class Spilled : public ISpilled {
 public:
  static constexpr const char* classNameText = "Spilled";
  Spilled() : intact_(growThroughTheSpill()) {}
  int intact() override { return intact_; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<ISpilled*>(this), ISpilled::lookupName);
  }
  const char* className() override { return classNameText; }

 private:
  int intact_;
};

ORN_REGISTER_CLASS(Spilled, OrnID(0x5B111000, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("hostile_spill_growth",
                     OrnID(0x5B111000, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
