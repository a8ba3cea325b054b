// Enumeration into host-built collectors: what a report appends, and how it ends when the host's
// arrays cannot grow.
#include "core/interface_names.h"

#include <gtest/gtest.h>

#include <climits>

#include "testhost/recording_services.h"
#include "testhost/test_host.h"

namespace {

#if defined(_WIN32)
#define ORN_EXITED_MINUS_ONE testing::ExitedWithCode(-1)
#else
#define ORN_EXITED_MINUS_ONE testing::ExitedWithCode(255)
#endif

TEST(ReportName, ClassThenInterfaceRecordsTheirParent) {
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  reportName("Outer", 1, &collector);
  reportName("IOuter", 0, &collector);
  reportName("Inner", 1, &collector);
  reportName("IInner", 0, &collector);
  ASSERT_EQ(records.top, 4);
  EXPECT_EQ(records.at(1).parent.text, nullptr);
  EXPECT_STREQ(records.at(2).parent.text, "Outer");
  EXPECT_STREQ(records.at(3).parent.text, "Outer") << "the class on top when it was reported";
  EXPECT_STREQ(records.at(4).parent.text, "Inner");
  ASSERT_EQ(classNames.top, 2);
  EXPECT_STREQ(classNames.topElement().text, "Inner");
  EXPECT_EQ(records.at(2).name.capacity, 0) << "names are borrowed constant texts";
}

TEST(ReportName, OnceStoppedEveryReportEmptiesBothArrays) {
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  collector.stopNames.findOrInsert(OrnString("Stop")) = 0;
  reportName("A", 1, &collector);
  reportName("Stop", 0, &collector);
  EXPECT_TRUE(collector.stopped);
  records.top = 3;  // a host that refilled its arrays
  classNames.top = 1;
  reportName("B", 1, &collector);
  EXPECT_EQ(records.top, 0);
  EXPECT_EQ(classNames.top, 0);
}

// A host array that cannot grow any further must not send an exception out of the module: the
// enumeration ends on the out-of-memory road, with one message and status -1.
TEST(ReportNameDeathTest, ArrayThatCannotGrowEndsWithTheOutOfMemoryMessage) {
  EXPECT_EXIT(
      {
        TestHost& host = attachTestHost();
        auto* errors = new RecordingErrorService();  // lives until the process ends
        errors->echoToStderr = true;
        host.offer(errors);
        OrnArray<OrnString> classNames;
        OrnArray<InterfaceNameRecord> records;
        records.top = INT32_MAX - 1;  // the next record would need index INT32_MAX
        InterfaceNameCollector collector(&classNames, &records);
        reportName("Outer", 1, &collector);
        std::exit(0);
      },
      ORN_EXITED_MINUS_ONE, "error service: While running this function, you have run out");
}

// A top already at the largest index cannot be stepped past: the same end, not a wrapped index.
TEST(ReportNameDeathTest, TopAtTheLargestIndexEndsWithTheOutOfMemoryMessage) {
  for (bool classFull : {false, true}) {
    EXPECT_EXIT(
        {
          TestHost& host = attachTestHost();
          auto* errors = new RecordingErrorService();  // lives until the process ends
          errors->echoToStderr = true;
          host.offer(errors);
          OrnArray<OrnString> classNames;
          OrnArray<InterfaceNameRecord> records;
          (classFull ? classNames.top : records.top) = INT32_MAX;
          InterfaceNameCollector collector(&classNames, &records);
          reportName("Outer", 1, &collector);
          std::exit(0);
        },
        ORN_EXITED_MINUS_ONE, "error service: While running this function, you have run out");
  }
}

}  // namespace
