// The host object and every host service the module fetches by name.
//
// ABI: each interface derives virtually from IOrnUnknown and lists its own operations first, in
// slot order, with no destructor ahead of them. Slots the module never calls are reservedN()
// with an empty body, so a host overrides only what it serves.
#ifndef ORN_CORE_HOST_H_
#define ORN_CORE_HOST_H_

#include <cstddef>
#include <cstdint>

#include "core/object.h"
#include "text/orn_string.h"
#include "text/orn_wstring.h"

class OrnID;
class IOrnTranslator;

// The host's own object, handed to the module by IOrnComponent::initialize.
class IOrnHost : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnHost";
  virtual void reserved1() {}
  virtual void reserved2() {}
  virtual void reserved3() {}
  virtual void reserved4() {}
  virtual void reserved5() {}
  virtual void reserved6() {}
  // Writes the service's `name` view into *out, or leaves *out null when the service is absent.
  // The caller takes its own reference. The result is not read by the module.
  virtual int getService(const OrnString& name, void** out) = 0;
  virtual void reserved8() {}
  virtual void reserved9() {}
  // Only the low byte is used, as one character.
  virtual int hostCode() = 0;
  // Increments the count at `count` (the object's refCountField) in place.
  virtual void addRefHook(int* count) = 0;
  // Decrements it; true when the last reference went and the module must destroy the object.
  virtual bool releaseHook(int* count) = 0;
};

// The module-wide host pointer: null until initialize; never cleared, no reference held.
extern IOrnHost* moduleHost;

// Settings store ("IDataStore").
class IDataStore : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IDataStore";
  virtual void reserved1() {}
  virtual void reserved2() {}
  virtual void reserved3() {}
  virtual void reserved4() {}
  virtual void reserved5() {}
  virtual void reserved6() {}
  virtual void reserved7() {}
  virtual void reserved8() {}
  virtual void reserved9() {}
  virtual void reserved10() {}
  virtual void reserved11() {}
  virtual void reserved12() {}
  virtual void reserved13() {}
  virtual void reserved14() {}
  virtual void reserved15() {}
  virtual void reserved16() {}
  virtual void reserved17() {}
  virtual void reserved18() {}
  virtual void reserved19() {}
  virtual void reserved20() {}
  virtual void reserved21() {}
  virtual void reserved22() {}
  virtual void reserved23() {}
  virtual void reserved24() {}
  // The value stored under key; never null; empty text means not set. flags is 0.
  virtual const OrnWString& stringValue(const char* key, int flags) = 0;
};

// Directory service ("IOrnDirService").
class IOrnDirService : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnDirService";
  // The named directory (the module asks for "temp"); never null; empty means none.
  virtual const OrnWString& directory(const char* name) = 0;
};

// Error service ("IOrnErrorService"): messages shown to the user.
class IOrnErrorService : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnErrorService";
  virtual void reserved1() {}
  virtual void reserved2() {}
  virtual int reportError(const OrnWString& message, const int& severity,
                          const OrnString& extra) = 0;
};

// Assertion handler ("IOrnAssertHandlerCB"): told of failed internal checks; execution goes on.
class IOrnAssertHandlerCB : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnAssertHandlerCB";
  virtual void reportAssertion(const char* expression, const char* file, int line) = 0;
};

namespace OrnMM {
// Memory manager ("IOrnMManager"). Figures count units of 24 KiB.
class IOrnMManager : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnMManager";
  virtual void reserved1() {}
  virtual void reserved2() {}
  virtual void reserved3() {}
  virtual void reserved4() {}
  virtual void reserved5() {}
  virtual void reserved6() {}
  virtual void reserved7() {}
  virtual void reserved8() {}
  virtual void reserved9() {}
  virtual void reserved10() {}
  // True when memory was given back, so that a retry may succeed; false when nothing is left.
  virtual bool releaseMemory() = 0;
  virtual void reserved12() {}
  virtual void reserved13() {}
  virtual int coreLimit() { return 0; }
  virtual int swapLimit() { return 0; }
  virtual int swapInUse() { return 0; }

  int coreUnits = 0;
};
}  // namespace OrnMM

// Heap usage ("IOrnHeapMemoryUsage").
class IOrnHeapMemoryUsage : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnHeapMemoryUsage";
  virtual void reserved1() {}
  virtual void reserved2() {}
  virtual void reserved3() {}
  virtual void reserved4() {}
  virtual size_t heapInUse() = 0;
};

// Memory checker ("IMemChecker"): the system's memory figures.
class IMemChecker : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IMemChecker";
  virtual bool useChecker() = 0;
  virtual bool memoryFigures(int64_t* free, int64_t* total, int64_t* swapFree, int64_t* swapTotal,
                             int64_t divisor) = 0;
};

// Translator service ("IOrnTranslatorService"): the translator serving a component.
class IOrnTranslatorService : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnTranslatorService";
  virtual void reserved1() {}
  // May be null.
  virtual IOrnTranslator* translatorFor(const OrnID& id) = 0;
};

// Test service handed to IOrnCompInternal::runTests: a plain interface.
class IOrnTestService {
 public:
  virtual void runTest(void* record) = 0;

 protected:
  ~IOrnTestService() = default;
};

#endif  // ORN_CORE_HOST_H_
