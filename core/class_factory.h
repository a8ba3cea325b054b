// The module's class factory: a registry from class identifier to item factory.
#ifndef ORN_CORE_CLASS_FACTORY_H_
#define ORN_CORE_CLASS_FACTORY_H_

#include <new>

#include "core/component.h"
#include "core/orn_id.h"
#include "text/orn_hash_table.h"

// Makes instances of one class. Item factories are static objects that register themselves
// when constructed; registering an identifier again replaces the earlier factory. Destruction
// unregisters nothing.
class OrnItemFactory {
 public:
  OrnItemFactory(const OrnID& id, const char* name);
  virtual ~OrnItemFactory() = default;
  // A new instance (count 0) as IOrnUnknown, or null; *status is 1.
  virtual IOrnUnknown* create(int* status) = 0;
  virtual const char* className() { return name; }

  const char* name;  // the class's constant name text; not owned
  OrnID id;
};

template <class T>
class OrnTClassItemFactory : public OrnItemFactory {
 public:
  OrnTClassItemFactory(const OrnID& id, const char* name) : OrnItemFactory(id, name) {}
  IOrnUnknown* create(int* status) override {
    *status = 1;
    T* object = new (std::nothrow) T();
    return object ? static_cast<IOrnUnknown*>(object) : nullptr;
  }
};

// Registers class T under ID with T::classNameText, in one line at namespace scope; T may be
// named with its namespace:
//   ORN_REGISTER_CLASS(ExampleCounter, exampleCounterId);
//   ORN_REGISTER_CLASS(shapes::Circle, circleId);
// The factory's name is made unique per registration, not from T, which may hold "::".
#define ORN_REGISTER_CLASS(T, ID) \
  static OrnTClassItemFactory<T> ORN_CLASS_FACTORY_NAME(__COUNTER__)((ID), T::classNameText)
#define ORN_CLASS_FACTORY_NAME(n) ORN_CLASS_FACTORY_NAME_JOINED(n)
#define ORN_CLASS_FACTORY_NAME_JOINED(n) ornItemFactory_##n

using OrnClassRegistry = OrnHashTable<OrnID, OrnItemFactory*>;

class OrnDefaultClassFactory : public IOrnClassFactory {
 public:
  int createInstance(const OrnID& classId, IOrnUnknown** out) override;
  int classCount() override;
  bool firstClass(OrnID& id) override;
  bool nextClass(OrnID& id) override;
  const char* classNameOf(const OrnID& id) override;
};

// The class factory, built with an empty registry (131 chains) on first call. Not synchronised:
// first use is on the loader's thread.
OrnDefaultClassFactory* defaultClassFactory();
// The registry behind it; created with the factory; never destroyed.
OrnClassRegistry& classRegistry();

#endif  // ORN_CORE_CLASS_FACTORY_H_
