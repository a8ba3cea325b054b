#include "core/interface_names.h"

#include <climits>
#include <new>

#include "memory/out_of_memory.h"

namespace {
void emptyBoth(InterfaceNameCollector* collector) {
  collector->classNames->top = 0;
  collector->records->top = 0;
}

void appendRecord(const char* name, int isClass, InterfaceNameCollector* collector) {
  if (collector == nullptr) return;
  if (collector->stopped) {
    emptyBoth(collector);
    return;
  }
  bool stop = false;
  if (collector->stopNames.bucketCount != 0) {
    OrnString probe(name);
    uint32_t index = 0;
    stop = collector->stopNames.findByName(probe, &index) != nullptr;
  }
  if (stop) {
    collector->stopped = true;
    emptyBoth(collector);
    return;
  }
  OrnArray<InterfaceNameRecord>& records = *collector->records;
  OrnArray<OrnString>& classNames = *collector->classNames;
  // An array already at the last index a 32-bit top can name cannot take another element.
  if (records.top == INT32_MAX || (isClass != 0 && classNames.top == INT32_MAX)) {
    ubrReportOrExit(ubrOutOfMemory);
    return;
  }
  ++records.top;
  InterfaceNameRecord& record = records.at(records.top);
  record.name.borrow(name);
  record.isClass = isClass;
  if (classNames.top != 0) {
    record.parent.assign(classNames.topElement());
  } else {
    record.parent.clear();
  }
  if (isClass != 0) classNames.push(record.name);
}
}  // namespace

// Called from queryInterface, that is from the host: a failed allocation of the host's object
// arrays must not leave the module as an exception. It ends as every exhausted allocation does.
void reportName(const char* name, int isClass, InterfaceNameCollector* collector) {
  try {
    appendRecord(name, isClass, collector);
  } catch (const std::bad_alloc&) {
    ubrReportOrExit(ubrOutOfMemory);
  }
}
