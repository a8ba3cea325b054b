// The component's test operation and the empty extra text of every error report.
#ifndef ORN_CORE_TEST_OPERATION_H_
#define ORN_CORE_TEST_OPERATION_H_

#include "core/host.h"
#include "text/orn_array.h"
#include "text/orn_string.h"

// A registered test; only its first field is read, and handed to the test service.
struct OrnTestRecord {
  void* payload;
};

// Third argument of every error report the module makes. Emptied at unload.
extern OrnString emptyExtra;
// Registered tests; created on the first runTests with a test service; never freed.
extern OrnArray<OrnTestRecord*>* testList;
// Guards against re-entry; not synchronised.
extern bool testsRunning;

// The message reported when runTests gets no test service.
extern const char* const noTestServiceText;

void runTests(IOrnTestService* testService);

#endif  // ORN_CORE_TEST_OPERATION_H_
