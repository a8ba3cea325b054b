// What a host can learn of a loaded module: its facts, its classes and the names its objects
// answer to.
#ifndef ORN_HOST_CHECK_MODULE_FACTS_H_
#define ORN_HOST_CHECK_MODULE_FACTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/component.h"
#include "core/orn_id.h"

class LoadedModule;

// A name reported by an object's enumeration, copied out of the module's memory.
struct ReportedName {
  std::string name;
  bool isClass;
  std::string parent;  // the class name reported before it; empty if none
};

struct NameList {
  bool declined = false;  // the enumeration answered true: the class is not listed
  std::vector<ReportedName> names;

  bool has(const std::string& name) const;
  // The interface names, in report order.
  std::vector<std::string> interfaceNames() const;
};

// Enumerates the names object answers to, into a collector the host builds and destroys. The
// names are copied before the collector goes.
NameList enumerateNames(IOrnUnknown* object);

// The class identifiers in walk order. Stops after `limit` steps (a walk that never ends sets
// *endless).
std::vector<OrnID> walkClasses(IOrnCompInternal* internal, int limit, bool* endless);

struct ClassFacts {
  OrnID id;
  std::string name;       // classNameOf; "" when the module answers null
  bool created = false;   // createInstance gave an object
  std::string className;  // that object's className()
  NameList names;         // its enumeration
};

struct ModuleFacts {
  std::string path;
  int version = 0;
  std::string name;
  std::string buildStamp;
  std::string identifier;  // registry form of the component's identifier
  bool hasDescriptor = false;
  int32_t descriptorVersion = 0;
  std::vector<uint8_t> descriptorBytes;
  int classCount = 0;
  std::vector<ClassFacts> classes;
};

// Reads everything of an attached module. Each class is created, enumerated and released again
// (the host takes and drops one reference).
ModuleFacts inspectModule(LoadedModule& module);

// "4f 52 4e ..." of bytes.
std::string hexBytes(const std::vector<uint8_t>& bytes);
// Null-safe copy of a module text.
std::string textOf(const char* text);

#endif  // ORN_HOST_CHECK_MODULE_FACTS_H_
