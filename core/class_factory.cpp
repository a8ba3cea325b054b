#include "core/class_factory.h"

#include <new>

#include "memory/out_of_memory.h"

namespace {
// Built on first use by whichever comes first: start-up or an item factory. Never destroyed.
OrnDefaultClassFactory* theFactory = nullptr;
OrnClassRegistry* theRegistry = nullptr;

// The walk position of firstClass/nextClass: the current entry of the registry, if any.
struct ClassCursor {
  OrnClassRegistry::Entry* current = nullptr;
  OrnID key;
};
ClassCursor* classCursor = nullptr;
}  // namespace

OrnDefaultClassFactory* defaultClassFactory() {
  if (theFactory == nullptr) {
    theRegistry = new OrnClassRegistry(OrnClassRegistry::primeAbove(99));
    theFactory = new OrnDefaultClassFactory();
  }
  return theFactory;
}

OrnClassRegistry& classRegistry() {
  defaultClassFactory();
  return *theRegistry;
}

OrnItemFactory::OrnItemFactory(const OrnID& classId, const char* className)
    : name(className), id(classId) {
  classRegistry().findOrInsert(id) = this;
}

int OrnDefaultClassFactory::createInstance(const OrnID& classId, IOrnUnknown** out) {
  if (out == nullptr) return 0;
  uint32_t index = 0;
  OrnClassRegistry::Entry* entry = classRegistry().find(classId, &index);
  if (entry == nullptr) return 0;
  int status = 0;
  *out = entry->value->create(&status);
  // No object is no success, whatever status the item factory left.
  return *out != nullptr ? status : 0;
}

int OrnDefaultClassFactory::classCount() { return classRegistry().count; }

bool OrnDefaultClassFactory::firstClass(OrnID& id) {
  delete classCursor;
  classCursor = new (std::nothrow) ClassCursor();
  if (classCursor == nullptr) ubrReportOrExit(ubrOutOfMemory);
  OrnClassRegistry& registry = classRegistry();
  if (registry.count == 0) return false;
  classCursor->current = registry.first();
  if (classCursor->current == nullptr) return false;
  classCursor->key = classCursor->current->key;
  id = classCursor->key;
  return true;
}

bool OrnDefaultClassFactory::nextClass(OrnID& id) {
  if (classCursor == nullptr || classCursor->current == nullptr) return false;
  classCursor->current = classRegistry().after(classCursor->current);
  if (classCursor->current == nullptr) return false;
  classCursor->key = classCursor->current->key;
  id = classCursor->key;
  return true;
}

const char* OrnDefaultClassFactory::classNameOf(const OrnID& id) {
  uint32_t index = 0;
  OrnClassRegistry::Entry* entry = classRegistry().find(id, &index);
  return entry ? entry->value->className() : nullptr;
}
