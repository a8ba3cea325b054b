// The host's translator ("IOrnTranslator") and translator service ("IOrnTranslatorService"):
// texts looked up in the catalogue of the language chosen with --lang.
#ifndef ORN_HOST_HOST_TRANSLATOR_H_
#define ORN_HOST_HOST_TRANSLATOR_H_

#include <memory>
#include <string>

#include "core/host.h"
#include "host/host_owned.h"
#include "host/po_catalogue.h"
#include "translation/translator.h"

// Replaces only lookup: a text found in the catalogue becomes its translation, any other text
// passes through as the framework's pass-through translator hands it back. The placeholders are
// then filled by the framework's formatting operations. Without a catalogue every text passes
// through. The catalogue is set before modules are loaded and not changed while they run.
class HostTranslator : public HostOwned<OrnTrivialTranslator> {
 public:
  static constexpr const char* classNameText = "HostTranslator";

  void setCatalogue(std::shared_ptr<const PoCatalogue> catalogue) {
    catalogue_ = std::move(catalogue);
  }
  const PoCatalogue* catalogue() const { return catalogue_.get(); }
  // The translation of a UTF-8 text, or the text itself.
  std::string translateUtf8(const std::string& text) const;

  // A translation that cannot be built (memory has run out) passes the text through as any text
  // without a translation does. Never throws.
  bool lookup(const char* text, OrnWString& out) noexcept override;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  std::shared_ptr<const PoCatalogue> catalogue_;
};

// Serves one translator to every component.
class HostTranslatorService : public HostOwned<IOrnTranslatorService> {
 public:
  static constexpr const char* classNameText = "HostTranslatorService";

  explicit HostTranslatorService(HostTranslator& translator) : translator_(translator) {}

  // The host's translator whatever the identifier; no reference is taken for the caller.
  IOrnTranslator* translatorFor(const OrnID& id) noexcept override;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  HostTranslator& translator_;
};

#endif  // ORN_HOST_HOST_TRANSLATOR_H_
