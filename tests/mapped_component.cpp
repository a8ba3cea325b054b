// A module as a plug-in author writes one: <orn/module.h> alone, a class with two interfaces
// through its interface map, and no build stamp of its own, so it reports when it was built.
#include <orn/module.h>

namespace {

class ICounter : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "ICounter";
  virtual int32_t increment() = 0;
};

class INamed : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "INamed";
  virtual const char* label() = 0;
};

class NamedCounter : public OrnImplements<NamedCounter, ICounter, INamed> {
 public:
  static constexpr const char* classNameText = "NamedCounter";
  int32_t increment() override { return ++count_; }
  const char* label() override { return "counter"; }

 private:
  int32_t count_ = 0;
};

}  // namespace

ORN_DEFINE_COMPONENT("mapped_component",
                     OrnID(0x6D617070, 0x6564, 0x0001, {0x63, 0x6F, 0x6D, 0x70, 0, 0, 0, 1}),
                     {0x4D, 0x41, 0x50, 0x31, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})

ORN_REGISTER_CLASS(NamedCounter,
                   OrnID(0x6D617070, 0x6564, 0x0002, {0x63, 0x6C, 0x61, 0x73, 0, 0, 0, 1}));
