// initialize reports an error through the host's error service and ends the process with
// status 1. inspect shows module reports as they come, check keeps them for its report: each way
// the report is shown exactly once.
#include <cstdlib>

#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "tests/hostile/hostile_component.h"
#include "text/orn_wstring.h"

namespace {
class QuitAfterReport : public OrnBaseComponent {
 public:
  void initialize(IOrnHost* host) override {
    OrnBaseComponent::initialize(host);
    SPtr<IOrnErrorService> errors;
    if (errors) errors->reportError(OrnWString("no licence found"), 1, emptyExtra);
    std::exit(1);
  }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_report_in_initialize_then_exit",
                     OrnID(0x0E0E000D, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(QuitAfterReport)
