// A module whose every text holds bytes that are not UTF-8, terminal escapes (colour, clear
// screen, window title, a one-byte C1 CSI) and a newline followed by a line made to look like one
// of the check's own: its name, build stamp, class name, interface name and the error report its
// class makes when created. orn-host must print all of it escaped in text mode and as valid JSON.
#include "core/class_factory.h"
#include "core/component.h"
#include "core/service_ptr.h"
#include "core/test_operation.h"

namespace {
class IBytes : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName =
      "IBytes\x9b\xc2\x9b"
      "0m\n[ ok ] forged interface";
  virtual int bytes() = 0;
};

class Bytes : public IBytes {
 public:
  static constexpr const char* classNameText = "Bytes\xfe\x1b[31m\n[ ok ] forged class";
  Bytes() {
    SPtr<IOrnErrorService> errors;
    if (errors) {
      const int severity = 1;
      errors->reportError(
          OrnWString("first line\xff\x1b[0m\n[ ok ] forged report\r[ ok ] forged after CR"),
          severity, emptyExtra);
    }
  }
  int bytes() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IBytes*>(this), IBytes::lookupName);
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(Bytes, OrnID(0x7E87B000, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("text\xff\x1b[2J\n[ ok ] forged name",
                     OrnID(0x7E87B000, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {0x1b, '[', '2', 'J', '\n', '[', ' ', 'o', 'k', ' ', ']', 0xff, 0, 0, 0, 0},
                     "2026\x1b]0;title\x07\xc0\xaf\n[ ok ] forged stamp")
