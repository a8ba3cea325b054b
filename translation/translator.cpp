#include "translation/translator.h"

#include <new>

#include "core/interface_map.h"
#include "core/module_globals.h"
#include "core/no_destructor.h"
#include "core/service_ptr.h"
#include "core/teardown.h"
#include "text/wide_block.h"

bool translatorServiceConsulted = false;

namespace {
using TranslatorHolder = IPtr<IOrnTranslator>;

// The module's translator holder. Never destroyed: the exit list only resets it, so that an
// out-of-memory report made while the module unloads still finds a usable holder. Built at
// start-up (see below) or by an earlier first use; not synchronised.
TranslatorHolder& translatorHolder() {
  static NoDestructor<TranslatorHolder> holder;
  [[maybe_unused]] static const bool dropsAtUnload =
      (registerTeardown(releaseCurrentTranslator), true);
  return *holder;
}

const bool translatorHolderBuiltAtStartup = (translatorHolder(), true);

// A new pass-through translator (count 0). When even this small allocation fails, a module-wide
// one in static storage is used; it keeps one reference of its own, so it is never deleted.
IOrnTranslator* makePassThrough() {
  if (OrnTrivialTranslator* made = new (std::nothrow) OrnTrivialTranslator()) return made;
  static NoDestructor<OrnTrivialTranslator> reserve;
  [[maybe_unused]] static const bool ownReference = (reserve->refCountField = 1, true);
  return reserve.get();
}
}  // namespace

void releaseCurrentTranslator() { translatorHolder().reset(); }

void consultTranslatorService() {
  SPtr<IOrnTranslatorService> service;
  if (!service) return;
  TranslatorHolder& holder = translatorHolder();
  IOrnTranslator* answer = service->translatorFor(componentId);
  if (answer != holder.iface) holder.assign(answer);
  if (!holder) holder.acquire();
  translatorServiceConsulted = true;
}

IOrnTranslator* currentTranslator() {
  TranslatorHolder& holder = translatorHolder();
  if (!holder || !translatorServiceConsulted) consultTranslatorService();
  if (!holder) holder.assign(makePassThrough());
  return holder.iface;
}

// --- OrnTrivialTranslator ---

bool OrnTrivialTranslator::lookup(const char* text, OrnWString& out) {
  out.assignNarrow(text);
  return true;
}

OrnWString OrnTrivialTranslator::translate(const char* text) {
  OrnWString result;
  lookup(text, result);
  return result;
}

OrnWString OrnTrivialTranslator::translate(const char* text, int32_t count,
                                           const OrnWString* args) {
  OrnWString result;
  lookup(text, result);
  for (int64_t n = 1; n <= count; ++n) {
    replacePlaceholder(result, static_cast<int32_t>(n), args != nullptr ? &args[n - 1] : nullptr);
  }
  return result;
}

namespace {
OrnWString translateWithList(OrnTrivialTranslator& self, const char* text,
                             const OrnWString* const* list, int32_t count) {
  OrnWString result;
  self.lookup(text, result);
  substitutePlaceholders(result, list, count);
  return result;
}
}  // namespace

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1,
                                           const OrnWString* a2, const OrnWString* a3,
                                           const OrnWString* a4, const OrnWString* a5,
                                           const OrnWString* a6) {
  const OrnWString* list[] = {a1, a2, a3, a4, a5, a6, nullptr};
  return translateWithList(*this, text, list, 6);
}

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1,
                                           const OrnWString* a2, const OrnWString* a3,
                                           const OrnWString* a4, const OrnWString* a5) {
  const OrnWString* list[] = {a1, a2, a3, a4, a5, nullptr};
  return translateWithList(*this, text, list, 5);
}

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1,
                                           const OrnWString* a2, const OrnWString* a3,
                                           const OrnWString* a4) {
  const OrnWString* list[] = {a1, a2, a3, a4, nullptr};
  return translateWithList(*this, text, list, 4);
}

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1,
                                           const OrnWString* a2, const OrnWString* a3) {
  const OrnWString* list[] = {a1, a2, a3, nullptr};
  return translateWithList(*this, text, list, 3);
}

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1,
                                           const OrnWString* a2) {
  const OrnWString* list[] = {a1, a2, nullptr};
  return translateWithList(*this, text, list, 2);
}

OrnWString OrnTrivialTranslator::translate(const char* text, const OrnWString* a1) {
  const OrnWString* list[] = {a1, nullptr};
  return translateWithList(*this, text, list, 1);
}

bool OrnTrivialTranslator::probe(int32_t /*value*/) { return false; }

bool OrnTrivialTranslator::queryInterface(const char* name, void** out, int /*options*/) {
  return OrnInterfaceMap<OrnTrivialTranslator, IOrnTranslator>::query(this, name, out);
}
