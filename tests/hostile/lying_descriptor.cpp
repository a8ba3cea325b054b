// A descriptor whose size() lies: DESCRIPTOR_SIZE (set per module) for a block of 16 bytes, or
// with DESCRIPTOR_NO_DATA, a null data() under a positive size.
#include <cstdint>

#include "hostile_module.h"
#include "plain_class.h"

namespace {
const uint8_t sixteenBytes[16] = {0x4C, 0x49, 0x45, 0x53, 5,  6,  7,  8,
                                  9,    10,   11,   12,   13, 14, 15, 16};

class LyingDescriptor : public IOrnClcBinary {
 public:
  static constexpr const char* classNameText = "LyingDescriptor";
  int32_t version() override { return 1; }
#if defined(DESCRIPTOR_NO_DATA)
  const uint8_t* data() override { return nullptr; }
#else
  const uint8_t* data() override { return sixteenBytes; }
#endif
  int32_t size() override { return DESCRIPTOR_SIZE; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnClcBinary*>(this),
                              IOrnClcBinary::lookupName);
  }
  const char* className() override { return classNameText; }
};

class WithLyingDescriptor : public OrnBaseComponent {
 public:
  IOrnClcBinary* descriptor() override {
    // Built once and kept by the module (its own reference), as the framework keeps its own.
    static LyingDescriptor* descriptor = [] {
      auto* made = new LyingDescriptor();
      made->addRef();
      return made;
    }();
    return descriptor;
  }
};

ORN_REGISTER_CLASS(PlainClass, OrnID(0x0B0B1504, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_lying_descriptor", WithLyingDescriptor)
