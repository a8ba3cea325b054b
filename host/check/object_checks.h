// Checks of one module object: its views, its shared count, its enumeration and the names it
// refuses. Each appends a line per fault to a list; an empty list is a pass.
#ifndef ORN_HOST_CHECK_OBJECT_CHECKS_H_
#define ORN_HOST_CHECK_OBJECT_CHECKS_H_

#include <string>
#include <vector>

#include "core/object.h"
#include "host/check/module_facts.h"

using Faults = std::vector<std::string>;

// The framework interfaces a host knows the type of, by lookup name.
const std::vector<std::string>& knownInterfaceNames();

// Every view the object answers (IOrnUnknown, its class name, the known interfaces, the names it
// enumerates) leads to the same IOrnUnknown, and for typed views a reference taken through
// IOrnUnknown shows in the view's count. REQUIRES: the caller holds a reference on object.
void checkViews(const std::string& label, IOrnUnknown* object, const NameList& names,
                Faults* faults);

// The enumeration and queryInterface agree: every enumerated name is answered, every known
// interface the object answers is enumerated, and the class name is among the class names. An
// object that declines the enumeration is only asked for its class name.
void checkEnumeration(const std::string& label, IOrnUnknown* object, const NameList& names,
                      Faults* faults);

// An unknown name, and every answered name in other letter case, are refused with a null view.
void checkRefusedNames(const std::string& label, IOrnUnknown* object, const NameList& names,
                       Faults* faults);

#endif  // ORN_HOST_CHECK_OBJECT_CHECKS_H_
