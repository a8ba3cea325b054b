#include "core/test_operation.h"

#include <cstring>
#include <new>

#include "core/service_ptr.h"
#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"
#include "text/orn_wstring.h"

OrnString emptyExtra;
OrnArray<OrnTestRecord*>* testList = nullptr;
bool testsRunning = false;
const char* const noTestServiceText = "Unable to get test service";

namespace {
const int reportSeverity = 1;
const int32_t testListInitialCapacity = 21;

// An empty list with zero-filled storage for its first slots.
OrnArray<OrnTestRecord*>* newTestList() {
  void* storage = nullptr;
  ubrMalloc(&storage, static_cast<int>(sizeof(OrnTestRecord*)), testListInitialCapacity);
  std::memset(storage, 0, sizeof(OrnTestRecord*) * testListInitialCapacity);
  auto* list = new (std::nothrow) OrnArray<OrnTestRecord*>();
  if (list == nullptr) ubrReportOrExit(ubrOutOfMemory);
  list->data = static_cast<OrnTestRecord**>(storage);
  list->capacity = testListInitialCapacity;
  return list;
}

void reportToErrorService(const OrnWString& message) {
  SPtr<IOrnErrorService> errors;
  if (errors) errors->reportError(message, reportSeverity, emptyExtra);
}
}  // namespace

void runTests(IOrnTestService* testService) {
  if (testsRunning) return;
  testsRunning = true;
  if (testService != nullptr) {
    if (testList == nullptr) testList = newTestList();
    for (int32_t i = 1; i <= testList->top; ++i) {
      OrnTestRecord* record = testList->at(i);
      if (record != nullptr) testService->runTest(record->payload);
    }
  } else {
    reportToErrorService(OrnWString(noTestServiceText));
    // Without a host there is no code to report.
    if (moduleHost != nullptr) {
      const int code = moduleHost->hostCode();
      reportToErrorService(OrnWString::fromChar(static_cast<char>(code & 0xFF)));
    }
  }
  testsRunning = false;
}
