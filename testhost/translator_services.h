// Translator services for tests: a scriptable "IOrnTranslatorService" and a recognisable
// translator that can be offered as the plain "IOrnTranslator" service or handed out by the
// translator service. Both count the calls they get.
//
// Lifetime: make them with new. Once a holder has taken a reference, the last release (through
// the host's hooks) deletes them; a test that inspects one afterwards keeps a reference of its
// own (addRef) and drops it when done.
#ifndef ORN_TESTHOST_TRANSLATOR_SERVICES_H_
#define ORN_TESTHOST_TRANSLATOR_SERVICES_H_

#include <string>
#include <utility>

#include "core/host.h"
#include "core/orn_id.h"
#include "translation/translator.h"

// Answers translatorFor with `answer` (may be null) and records every call.
class ScriptableTranslatorService : public IOrnTranslatorService {
 public:
  static constexpr const char* classNameText = "ScriptableTranslatorService";

  explicit ScriptableTranslatorService(IOrnTranslator* answer = nullptr) : answer(answer) {}

  IOrnTranslator* translatorFor(const OrnID& id) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  IOrnTranslator* answer;  // not owned: the module takes its own reference when it installs it
  int calls = 0;
  OrnID lastId;
};

// A pass-through translator that puts `prefix` in front of every text it looks up, so a test can
// tell which translator rendered a text. Replaces only lookup; the nine operations are
// OrnTrivialTranslator's.
class PrefixTranslator : public OrnTrivialTranslator {
 public:
  static constexpr const char* classNameText = "PrefixTranslator";

  explicit PrefixTranslator(std::string prefix) : prefix(std::move(prefix)) {}

  bool lookup(const char* text, OrnWString& out) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::string prefix;
  int lookups = 0;
};

#endif  // ORN_TESTHOST_TRANSLATOR_SERVICES_H_
