#include "core/interface_names.h"

namespace {
void emptyBoth(InterfaceNameCollector* collector) {
  collector->classNames->top = 0;
  collector->records->top = 0;
}
}  // namespace

void reportName(const char* name, int isClass, InterfaceNameCollector* collector) {
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
  ++records.top;
  InterfaceNameRecord& record = records.at(records.top);
  record.name.borrow(name);
  record.isClass = isClass;
  OrnArray<OrnString>& classNames = *collector->classNames;
  if (classNames.top != 0) {
    record.parent.assign(classNames.topElement());
  } else {
    record.parent.clear();
  }
  if (isClass != 0) classNames.push(record.name);
}
