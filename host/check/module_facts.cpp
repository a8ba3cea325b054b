#include "host/check/module_facts.h"

#include "core/interface_names.h"
#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/module_phase.h"

bool NameList::has(const std::string& name) const {
  for (const ReportedName& n : names) {
    if (n.name == name) return true;
  }
  return false;
}

std::vector<std::string> NameList::interfaceNames() const {
  std::vector<std::string> out;
  for (const ReportedName& n : names) {
    if (!n.isClass) out.push_back(n.name);
  }
  return out;
}

std::string textOf(const char* text) { return text ? text : ""; }

NameList enumerateNames(IOrnUnknown* object) {
  NameList list;
  if (object == nullptr) return list;
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  list.declined = object->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0);
  for (int32_t i = 1; i <= records.top && i < records.capacity; ++i) {
    const InterfaceNameRecord& record = records.data[i];
    list.names.push_back(
        ReportedName{textOf(record.name.text), record.isClass != 0, textOf(record.parent.text)});
  }
  return list;
}

std::vector<OrnID> walkClasses(IOrnCompInternal* internal, int limit, bool* endless) {
  std::vector<OrnID> ids;
  *endless = false;
  if (internal == nullptr) return ids;
  ModuleLifetimeScope lifetime;  // the module's class cursor
  OrnID id;
  if (!internal->firstClass(id)) return ids;
  ids.push_back(id);
  while (internal->nextClass(id)) {
    if (static_cast<int>(ids.size()) >= limit) {
      *endless = true;
      break;
    }
    ids.push_back(id);
  }
  return ids;
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ' ';
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

ModuleFacts inspectModule(LoadedModule& module) {
  ModuleFacts facts;
  facts.path = module.path();
  facts.version = module.version();
  IOrnComponent* component = module.component();
  IOrnCompInternal* internal = module.internal();
  if (component == nullptr) return facts;
  enterModulePhase(modulePhaseInspection);
  facts.buildStamp = textOf(component->buildStamp());
  if (internal != nullptr) {
    facts.name = textOf(internal->name());
    const OrnID* id = internal->identifier();
    if (id != nullptr) facts.identifier = id->toString();
    facts.classCount = internal->classCount();
  }
  if (IOrnClcBinary* descriptor = component->descriptor()) {
    facts.hasDescriptor = true;
    facts.descriptorVersion = descriptor->version();
    const int32_t size = descriptor->size();
    const uint8_t* data = descriptor->data();
    if (data != nullptr && size > 0 && size <= (1 << 20)) {
      facts.descriptorBytes.assign(data, data + size);
    }
  }
  bool endless = false;
  const int limit = facts.classCount > 0 ? facts.classCount + 1 : 1;
  for (const OrnID& id : walkClasses(internal, limit + 1000, &endless)) {
    ClassFacts cls;
    cls.id = id;
    cls.name = textOf(internal->classNameOf(id));
    IOrnUnknown* object = nullptr;
    if (component->createInstance(id, &object) != 0 && object != nullptr) {
      cls.created = true;
      object->addRef();
      cls.className = textOf(object->className());
      cls.names = enumerateNames(object);
      object->release();
    }
    facts.classes.push_back(std::move(cls));
  }
  return facts;
}
