// The module's translator: the host's, or a pass-through that fills in placeholders %1 .. %10.
#ifndef ORN_TRANSLATION_TRANSLATOR_H_
#define ORN_TRANSLATION_TRANSLATOR_H_

#include <cstdint>

#include "core/object.h"
#include "text/orn_wstring.h"

// Texts are 8-bit C strings; every result is a new string the caller owns. Null argument
// pointers count as arguments without text.
class IOrnTranslator : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnTranslator";
#if defined(_MSC_VER)
  // The Microsoft ABI lays overloads out in the reverse order of their declaration: declared from
  // the text-only one up, they take the table positions 1 (count and array) to 8 (text only).
  virtual OrnWString translate(const char* text) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4,
                               const OrnWString* a5) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4, const OrnWString* a5,
                               const OrnWString* a6) = 0;
  virtual OrnWString translate(const char* text, int32_t count, const OrnWString* args) = 0;
#else
  virtual OrnWString translate(const char* text, int32_t count, const OrnWString* args) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4, const OrnWString* a5,
                               const OrnWString* a6) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4,
                               const OrnWString* a5) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3, const OrnWString* a4) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                               const OrnWString* a3) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2) = 0;
  virtual OrnWString translate(const char* text, const OrnWString* a1) = 0;
  virtual OrnWString translate(const char* text) = 0;
#endif
  virtual bool probe(int32_t value) = 0;
};

// Hands every text back widened, filling in positional placeholders. A derived translator that
// replaces only lookup gets all nine operations.
class OrnTrivialTranslator : public IOrnTranslator {
 public:
  static constexpr const char* classNameText = "OrnTrivialTranslator";

  OrnWString translate(const char* text, int32_t count, const OrnWString* args) override;
  OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                       const OrnWString* a3, const OrnWString* a4, const OrnWString* a5,
                       const OrnWString* a6) override;
  OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                       const OrnWString* a3, const OrnWString* a4, const OrnWString* a5) override;
  OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                       const OrnWString* a3, const OrnWString* a4) override;
  OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2,
                       const OrnWString* a3) override;
  OrnWString translate(const char* text, const OrnWString* a1, const OrnWString* a2) override;
  OrnWString translate(const char* text, const OrnWString* a1) override;
  OrnWString translate(const char* text) override;
  bool probe(int32_t value) override;
  // out becomes text widened by zero extension (null text: empty). Returns true.
  virtual bool lookup(const char* text, OrnWString& out);

  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }
};

// The module's translator; never null. Consults the host's translator service until it has
// answered once; falls back to a pass-through translator. Not synchronised.
IOrnTranslator* currentTranslator();
// Asks the host's translator service for the translator of componentId.
void consultTranslatorService();
// Whether the translator service has been consulted successfully.
extern bool translatorServiceConsulted;
// Drops the module's reference on the current translator (the exit list runs it at unload).
void releaseCurrentTranslator();

// Fills every placeholder %1..%9 and %: (position 10) of s in one pass with args[position - 1];
// a placeholder whose position is above count, or whose argument is null or has no text, is
// removed. The unit after a '%' is never itself a '%': "%%1" holds no placeholder. s must own
// its text, else it is left as it is. At most ten placeholders are filled, a repeated position
// each time it occurs; later placeholders stay as plain text. Auxiliary buffers are untouched.
void substitutePlaceholders(OrnWString& s, const OrnWString* const* args, int32_t count);
// Replaces the first %N (N in decimal) of s with a's text (null a or null text: removes it).
// N below 1 changes nothing.
void replacePlaceholder(OrnWString& s, int32_t n, const OrnWString* a);

#endif  // ORN_TRANSLATION_TRANSLATOR_H_
