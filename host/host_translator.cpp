#include "host/host_translator.h"

#include "host/host_boundary.h"
#include "host/wide_text.h"

std::string HostTranslator::translateUtf8(const std::string& text) const {
  const std::string* found = catalogue_ ? catalogue_->find(text) : nullptr;
  return found ? *found : text;
}

bool HostTranslator::lookup(const char* text, OrnWString& out) noexcept {
  // The pass-through takes its memory from the guarded pool, which never throws.
  const auto passThrough = [&]() noexcept { return OrnTrivialTranslator::lookup(text, out); };
  return hostBoundaryWith(
      [&] {
        const std::string* found = (catalogue_ && text) ? catalogue_->find(text) : nullptr;
        if (found == nullptr) return passThrough();
        out = makeWide(*found);
        return true;
      },
      passThrough);
}

bool HostTranslator::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnTranslator*>(this),
                              IOrnTranslator::lookupName);
  });
}

IOrnTranslator* HostTranslatorService::translatorFor(const OrnID& /*id*/) noexcept {
  return &translator_;
}

bool HostTranslatorService::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnTranslatorService*>(this),
                              IOrnTranslatorService::lookupName);
  });
}
