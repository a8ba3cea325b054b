#include "host/check/module_facts.h"

#include "core/interface_names.h"
#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/module_phase.h"
#include "platform/read_only_file.h"

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
  // An object that takes the collector for a view pointer writes its own address over the
  // collector's first field: nothing in it can be trusted then.
  if (collector.classNames != &classNames || collector.records != &records) {
    list.overwroteCollector = true;
    return list;
  }
  list.reported = records.top > 0 ? records.top : 0;
  int64_t last = records.top < records.capacity - 1 ? records.top : records.capacity - 1;
  if (last > interfaceNameLimit) last = interfaceNameLimit;
  list.names.reserve(last > 0 ? static_cast<size_t>(last) : 0);
  for (int64_t i = 1; i <= last; ++i) {
    const InterfaceNameRecord& record = records.data[i];
    list.names.push_back(
        ReportedName{textOf(record.name.text), record.isClass != 0, textOf(record.parent.text)});
  }
  return list;
}

int64_t classWalkSteps(int classCount) {
  const int64_t claimed = classCount < 0 ? 0 : classCount;
  return (claimed < classWalkLimit ? claimed : classWalkLimit) + 16;
}

DescriptorBytes readDescriptor(IOrnClcBinary* descriptor) {
  DescriptorBytes out;
  if (descriptor == nullptr) return out;
  out.version = descriptor->version();
  out.claimedSize = descriptor->size();
  const uint8_t* data = descriptor->data();
  const std::string claimed = "size() says " + std::to_string(out.claimedSize) + " bytes";
  if (out.claimedSize < 0) {
    out.problem = claimed + ", which is not believable (a size is never negative)";
  } else if (out.claimedSize > descriptorSizeLimit) {
    out.problem = claimed + ", which is not believable (more than " +
                  std::to_string(descriptorSizeLimit) + "); none is read";
  } else if (data == nullptr && out.claimedSize > 0) {
    out.problem = claimed + " but data() is null";
  } else if (out.claimedSize > 0) {
    out.bytes.resize(static_cast<size_t>(out.claimedSize));
    // Read by the system: a size larger than the block behind data() must not fault the host.
    out.bytes.resize(platformCopyReadableMemory(data, out.bytes.data(), out.bytes.size()));
    if (out.bytes.size() < static_cast<size_t>(out.claimedSize)) {
      out.problem =
          claimed + ", but only " + std::to_string(out.bytes.size()) + " of them can be read";
    }
  }
  return out;
}

std::vector<OrnID> walkClasses(IOrnCompInternal* internal, int64_t limit, bool* endless) {
  std::vector<OrnID> ids;
  *endless = false;
  if (internal == nullptr) return ids;
  ModuleLifetimeScope lifetime;  // the module's class cursor
  OrnID id;
  if (!internal->firstClass(id)) return ids;
  ids.push_back(id);
  while (internal->nextClass(id)) {
    if (static_cast<int64_t>(ids.size()) >= limit) {
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
    DescriptorBytes read = readDescriptor(descriptor);
    facts.hasDescriptor = true;
    facts.descriptorVersion = read.version;
    facts.descriptorClaimedSize = read.claimedSize;
    facts.descriptorBytes = std::move(read.bytes);
    facts.descriptorProblem = std::move(read.problem);
  }
  std::vector<OrnID> ids =
      walkClasses(internal, classWalkSteps(facts.classCount), &facts.walkEndless);
  // A walk that does not end lists identifiers the module made up: a few show what it does.
  if (facts.walkEndless && ids.size() > 16) ids.resize(16);
  for (const OrnID& id : ids) {
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
