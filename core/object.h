// Object model: reference-counted objects whose views are found by interface name.
// Start here: every framework object and every host service follows this model.
#ifndef ORN_CORE_OBJECT_H_
#define ORN_CORE_OBJECT_H_

#include <cstdint>

// Root class: only a virtual destructor.
class OrnObject {
 public:
  virtual ~OrnObject() = default;
};

// Adds the reference count. New objects start at count 0; a holder takes its own reference.
class OrnShared : public OrnObject {
 public:
  int32_t refCountField = 0;
};

// Written into the count just before an object without host destroys itself.
constexpr int32_t releasedMarker = -42;

// Root interface. Interfaces derive from it virtually, so an object has one count. Once the host
// has attached (moduleHost set), the host's hooks change the count in place and decide when the
// object is destroyed; before that the module counts with plain increments (not synchronised).
class IOrnUnknown : public OrnShared {
 public:
  virtual void addRef();
  virtual void release();
  virtual int refCount();
  // name null: out is an InterfaceNameCollector that receives the names the object answers to.
  // Otherwise *out receives the view named `name` (exact, case-sensitive) or null. No reference is
  // taken for the caller. `options` is unused.
  virtual bool queryInterface(const char* name, void** out, int options) = 0;
  // The class's own name, the text its queryInterface answers with the object itself.
  virtual const char* className() = 0;
};

struct InterfaceNameCollector;

// The class-level step of every queryInterface; see the template below.
bool queryClassView(const char* name, void** out, void* self, IOrnUnknown* selfUnknown,
                    const char* className, bool notListed);

// Class step: name null: notListed answers true and reports nothing, else reports className as a
// class and answers false. Otherwise *out = self for className, the IOrnUnknown view for
// "IOrnUnknown", else null; answers whether *out is set (false, writing nothing, for a null out).
template <class T>
bool queryClass(const char* name, void** out, T* self, const char* className, bool notListed) {
  return queryClassView(name, out, static_cast<void*>(self),
                        self ? static_cast<IOrnUnknown*>(self) : nullptr, className, notListed);
}

// Interface step: name null: reports interfaceName and answers false. Otherwise keeps an *out
// already found, or sets *out = view when name is interfaceName; answers whether *out is set.
bool queryInterfaceName(const char* name, void** out, void* view, const char* interfaceName);

// True when a and b are equal zero-terminated texts (both non-null).
bool sameName(const char* a, const char* b);

#endif  // ORN_CORE_OBJECT_H_
