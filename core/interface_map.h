// A class's interface map: the class and the interfaces it answers to, named once. Both
// queryInterface by name and the name enumeration are made from it, so they cannot disagree.
//
// Most classes derive from their interfaces through OrnImplements, which writes queryInterface
// and className for them:
//
//   class Greeter : public OrnImplements<Greeter, IGreeter, IFarewell> {
//    public:
//     static constexpr const char* classNameText = "Greeter";
//     OrnWString greet(const char* name) override;
//     OrnWString farewell(const char* name) override;
//   };
//
// A class that writes queryInterface itself (because of other bases, or because it is not listed
// in enumerations) answers from a map of its own:
//
//   bool queryInterface(const char* name, void** out, int) override {
//     return OrnInterfaceMap<Greeter, IGreeter, IFarewell>::query(this, name, out);
//   }
//
// The answers, in the order they are checked: the class name gives the object itself,
// "IOrnUnknown" its one IOrnUnknown view, each interface name (the interface's lookupName) its
// view as that interface, in the order listed; any other name null and false. A null name
// enumerates into the collector at out: the class name as a class, then each interface name in
// the order listed, and answers false (notListed: reports nothing and answers true).
#ifndef ORN_CORE_INTERFACE_MAP_H_
#define ORN_CORE_INTERFACE_MAP_H_

#include <type_traits>

#include "core/object.h"

template <class Self, class... Interfaces>
struct OrnInterfaceMap {
  static bool query(Self* self, const char* name, void** out, bool notListed = false) {
    static_assert((std::is_base_of<IOrnUnknown, Interfaces>::value && ...),
                  "an interface of the map derives from IOrnUnknown");
    static_assert((std::is_base_of<Interfaces, Self>::value && ...),
                  "the class derives from every interface of its map");
    return queryClass(name, out, self, Self::classNameText, notListed) ||
           (queryInterfaceName(name, out, static_cast<Interfaces*>(self), Interfaces::lookupName) ||
            ...);
  }
};

// Derives from each interface, in the order given, and answers queryInterface and className from
// the map <Self, Interfaces...>; Self names itself in `static constexpr const char*
// classNameText`. Adds no data and no table slots of its own: the object's layout is that of a
// class deriving from the interfaces directly.
template <class Self, class FirstInterface, class... MoreInterfaces>
class OrnImplements : public FirstInterface, public MoreInterfaces... {
 public:
  bool queryInterface(const char* name, void** out, int /*options*/) override {
    return OrnInterfaceMap<Self, FirstInterface, MoreInterfaces...>::query(static_cast<Self*>(this),
                                                                           name, out);
  }
  const char* className() override { return Self::classNameText; }
};

#endif  // ORN_CORE_INTERFACE_MAP_H_
