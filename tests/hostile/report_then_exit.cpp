// runTests reports an error through the host's error service and then ends the process with
// exit(-1): the report must still reach the user.
#include <cstdlib>

#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "tests/hostile/hostile_component.h"
#include "text/orn_wstring.h"

namespace {
class GivingUp : public OrnBaseComponent {
 public:
  void runTests(IOrnTestService*) override {
    SPtr<IOrnErrorService> errors;
    if (errors) {
      errors->reportError(OrnWString("the test data is gone, giving up"), 1, emptyExtra);
    }
    std::exit(-1);
  }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_report_then_exit",
                     OrnID(0x0E0E0009, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(GivingUp)
