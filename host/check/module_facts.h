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

// What the host reads of a module at most; a module that reports more is told so.
constexpr int64_t interfaceNameLimit = int64_t{1} << 20;  // names enumerated by one object
constexpr int64_t classWalkLimit = int64_t{1} << 16;      // classes of one module
constexpr int32_t descriptorSizeLimit = 1 << 16;          // bytes of the descriptor

// A name reported by an object's enumeration, copied out of the module's memory.
struct ReportedName {
  std::string name;
  bool isClass;
  std::string parent;  // the class name reported before it; empty if none
};

struct NameList {
  bool declined = false;            // the enumeration answered true: the class is not listed
  std::vector<ReportedName> names;  // at most interfaceNameLimit
  int64_t reported = 0;             // how many the object reported; more than names.size() when cut
  bool overwroteCollector = false;  // the object wrote over the host's collector (names dropped)

  bool cutShort() const { return reported > static_cast<int64_t>(names.size()); }

  bool has(const std::string& name) const;
  // The interface names, in report order.
  std::vector<std::string> interfaceNames() const;
};

// Enumerates the names object answers to, into a collector the host builds and destroys. The
// names are copied before the collector goes.
NameList enumerateNames(IOrnUnknown* object);

// The class identifiers in walk order. Stops after `limit` steps (a walk that never ends sets
// *endless).
std::vector<OrnID> walkClasses(IOrnCompInternal* internal, int64_t limit, bool* endless);

// How many steps a walk follows for a module whose classCount() is classCount: the count (none
// when negative) up to classWalkLimit, and a few more to see whether the walk ends there.
int64_t classWalkSteps(int classCount);

// The descriptor's bytes as the host can read them: never more than descriptorSizeLimit, never
// from memory the process cannot read, whatever size() claims.
struct DescriptorBytes {
  int32_t version = 0;
  int32_t claimedSize = 0;     // what size() says
  std::vector<uint8_t> bytes;  // what could be read of them
  std::string problem;         // why size() or data() is not believable; empty when they are
};
DescriptorBytes readDescriptor(IOrnClcBinary* descriptor);

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
  int32_t descriptorClaimedSize = 0;
  std::string descriptorProblem;  // empty when size() and data() are believable
  int classCount = 0;
  std::vector<ClassFacts> classes;
  bool walkEndless = false;  // the walk went on past classWalkSteps(classCount)
};

// Reads everything of an attached module. Each class is created, enumerated and released again
// (the host takes and drops one reference).
ModuleFacts inspectModule(LoadedModule& module);

// "4f 52 4e ..." of bytes.
std::string hexBytes(const std::vector<uint8_t>& bytes);
// Null-safe copy of a module text.
std::string textOf(const char* text);

#endif  // ORN_HOST_CHECK_MODULE_FACTS_H_
