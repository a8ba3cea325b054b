// Enumeration of the names an object answers to, into a collector that the host builds.
#ifndef ORN_CORE_INTERFACE_NAMES_H_
#define ORN_CORE_INTERFACE_NAMES_H_

#include <cstddef>
#include <cstdint>

#include "text/orn_array.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"

// One reported name. Layout shared with the host: {name, isClass, parent}.
struct InterfaceNameRecord {
  OrnString name;
  int32_t isClass = 0;  // 1 class name, 0 interface name
  OrnString parent;     // class name on top of classNames when reported; empty if none

  InterfaceNameRecord() = default;
  InterfaceNameRecord(const InterfaceNameRecord& other) = default;
  InterfaceNameRecord& operator=(const InterfaceNameRecord& other) {
    name.assign(other.name);
    isClass = other.isClass;
    parent.assign(other.parent);
    return *this;
  }
  ~InterfaceNameRecord() {
    parent.clear();
    name.clear();
  }
};

// Built, sized and destroyed by the host; the module only appends and looks up. Layout shared
// with the host: {classNames, records, stopNames (inline), stopped}.
struct InterfaceNameCollector {
  InterfaceNameCollector(OrnArray<OrnString>* classNamesArray,
                         OrnArray<InterfaceNameRecord>* recordsArray)
      : classNames(classNamesArray), records(recordsArray) {}

  OrnArray<OrnString>* classNames;
  OrnArray<InterfaceNameRecord>* records;
  OrnHashTable<OrnString, int32_t> stopNames;  // value word unused by the module
  bool stopped = false;
};

static_assert(offsetof(InterfaceNameRecord, isClass) == 2 * sizeof(void*),
              "InterfaceNameRecord layout: {name, isClass, parent}");
static_assert(offsetof(InterfaceNameRecord, parent) == 3 * sizeof(void*),
              "InterfaceNameRecord layout: {name, isClass, parent}");
static_assert(offsetof(InterfaceNameCollector, records) == sizeof(void*),
              "InterfaceNameCollector layout: {classNames, records, stopNames, stopped}");
static_assert(offsetof(InterfaceNameCollector, stopNames) == 2 * sizeof(void*),
              "InterfaceNameCollector layout");
static_assert(offsetof(InterfaceNameCollector, stopped) ==
                  2 * sizeof(void*) + sizeof(OrnHashTable<OrnString, int32_t>),
              "InterfaceNameCollector layout");

// Appends (name, isClass, parent) to the collector's records, and pushes class names onto
// classNames. A name found in stopNames sets `stopped`; once stopped, every report only empties
// both arrays.
void reportName(const char* name, int isClass, InterfaceNameCollector* collector);

#endif  // ORN_CORE_INTERFACE_NAMES_H_
