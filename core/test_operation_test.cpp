// The component's test operation.
#include "core/test_operation.h"

#include <gtest/gtest.h>

#include "testhost/recording_services.h"
#include "testhost/test_host.h"

namespace {

struct CountingTestService : public IOrnTestService {
  void runTest(void* record) override {
    ++calls;
    last = record;
    if (reenter) runTests(this);
  }
  int calls = 0;
  void* last = nullptr;
  bool reenter = false;
};

TEST(RunTests, WithoutTestServiceReportsTwiceThroughTheErrorService) {
  TestHost& host = attachTestHost();
  host.hostCodeValue = 0x4142;   // only the low byte counts
  host.releaseDestroys = false;  // the service lives on the stack
  RecordingErrorService errors;
  host.offer(&errors);
  runTests(nullptr);
  ASSERT_EQ(errors.reports.size(), 2u);
  EXPECT_EQ(errors.reports[0].message, "Unable to get test service");
  EXPECT_EQ(errors.reports[0].severity, 1);
  EXPECT_EQ(errors.reports[0].extra, &emptyExtra);
  EXPECT_EQ(errors.reports[1].message, "B");
  EXPECT_EQ(errors.reports[1].severity, 1);
  EXPECT_EQ(host.requestCount("IOrnErrorService"), 2) << "a fresh lookup for each report";
  EXPECT_EQ(errors.refCount(), 0) << "every reference dropped";
  EXPECT_FALSE(testsRunning);
}

TEST(RunTests, WithoutTestServiceOrErrorServiceSaysNothing) {
  TestHost& host = attachTestHost();
  runTests(nullptr);
  EXPECT_EQ(host.requestCount("IOrnErrorService"), 2);
  EXPECT_FALSE(testsRunning);
}

TEST(RunTests, WithoutHostMakesNoHostCall) {
  moduleHost = nullptr;
  runTests(nullptr);
  EXPECT_FALSE(testsRunning);
}

TEST(RunTests, EmptyTestListCallsNothingOnTheService) {
  attachTestHost();
  CountingTestService service;
  runTests(&service);
  EXPECT_EQ(service.calls, 0);
  ASSERT_NE(testList, nullptr);
  EXPECT_EQ(testList->capacity, 21);
  EXPECT_EQ(testList->top, 0);
}

TEST(RunTests, RegisteredTestsReachTheServiceAndNestedCallsReturnAtOnce) {
  attachTestHost();
  CountingTestService service;
  runTests(&service);  // creates the list
  int payloadA = 0;
  int payloadB = 0;
  OrnTestRecord a{&payloadA};
  OrnTestRecord b{&payloadB};
  testList->push(&a);
  testList->push(&b);
  service.reenter = true;
  runTests(&service);
  EXPECT_EQ(service.calls, 2) << "the nested calls ran nothing";
  EXPECT_EQ(service.last, &payloadB);
  EXPECT_FALSE(testsRunning);
}

}  // namespace
