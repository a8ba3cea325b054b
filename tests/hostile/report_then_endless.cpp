// runTests reports a warning through the host's error service and then never returns: the report
// must still reach the user once the process is stopped at its time limit.
#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "tests/hostile/hostile_component.h"
#include "text/orn_wstring.h"

namespace {
class StuckAfterReport : public OrnBaseComponent {
 public:
  void runTests(IOrnTestService*) override {
    SPtr<IOrnErrorService> errors;
    if (errors)
      errors->reportError(OrnWString("waiting for a server that never answers"), 2, emptyExtra);
    neverReturn();
  }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_report_then_endless",
                     OrnID(0x0E0E000C, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(StuckAfterReport)
