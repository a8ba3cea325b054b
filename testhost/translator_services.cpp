#include "testhost/translator_services.h"

IOrnTranslator* ScriptableTranslatorService::translatorFor(const OrnID& id) {
  ++calls;
  lastId = id;
  return answer;
}

bool ScriptableTranslatorService::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnTranslatorService*>(this),
                            IOrnTranslatorService::lookupName);
}

bool PrefixTranslator::lookup(const char* text, OrnWString& out) {
  ++lookups;
  std::string joined = prefix;
  if (text != nullptr) joined += text;
  out.assignNarrow(joined.c_str());
  return true;
}

bool PrefixTranslator::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnTranslator*>(this),
                            IOrnTranslator::lookupName);
}
