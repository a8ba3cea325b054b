#include "memory/out_of_memory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/test_operation.h"
#include "memory/memory_test_support.h"
#include "testhost/translator_services.h"
#include "text/orn_wstring.h"

namespace {

using OutOfMemoryReportTest = MemoryHostTest;

TEST_F(OutOfMemoryReportTest, MessageIsTheThreeLineTextThroughThePassThroughTranslator) {
  OrnWString message;
  ubrOutOfMemoryMessage(message);
  EXPECT_EQ(narrowForTest(message.text),
            "While running this function, you have run out of memory.\n"
            "The application will close. After restarting, please read\n"
            "the online help about \"Memory Optimization\".");
}

TEST_F(OutOfMemoryReportTest, MessageGoesThroughTheHostsTranslator) {
  host->offer<IOrnTranslatorService>(
      &processLifetime<ScriptableTranslatorService>(new PrefixTranslator("[de] ")));
  OrnWString message;
  ubrOutOfMemoryMessage(message);
  EXPECT_EQ(narrowForTest(message.text), std::string("[de] ") + ubrOutOfMemoryText);
}

TEST_F(OutOfMemoryReportTest, EveryCodeFromMinusFiveToMinusOneShowsTheSameMessageOnce) {
  for (int code = -5; code <= -1; ++code) {
    errors.reports.clear();
    EXPECT_FALSE(ubrReportMemoryFailure(code)) << "code " << code;
    ASSERT_EQ(errors.reports.size(), 1u) << "code " << code;
    EXPECT_EQ(errors.reports[0].message, ubrOutOfMemoryText);
    EXPECT_EQ(errors.reports[0].severity, 1);
    EXPECT_EQ(errors.reports[0].extra, &emptyExtra);
  }
}

TEST_F(OutOfMemoryReportTest, CodesOutsideTheRangeShowNothing) {
  for (int code : {0, 1, -6, -100}) {
    EXPECT_FALSE(ubrReportMemoryFailure(code)) << "code " << code;
  }
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(OutOfMemoryReportTest, ErrorServiceIsLookedUpForEveryReportAndReleased) {
  const int before = errors.refCountField;
  ubrReportMemoryFailure(-4);
  ubrReportMemoryFailure(-4);
  EXPECT_EQ(host->requestCount("IOrnErrorService"), 2);
  EXPECT_EQ(errors.refCountField, before);
}

TEST_F(OutOfMemoryReportTest, WithoutErrorServiceNothingIsShown) {
  host->offer("IOrnErrorService", nullptr);
  EXPECT_FALSE(ubrReportMemoryFailure(-4));
}

TEST_F(OutOfMemoryReportTest, ReportOrExitShowsTheMessageOnceThenExits) {
  EXPECT_EXIT(ubrReportOrExit(-3), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
}

TEST_F(OutOfMemoryReportTest, ReportOrExitWithoutErrorServiceExitsSilently) {
  host->offer("IOrnErrorService", nullptr);
  EXPECT_EXIT(ubrReportOrExit(-4), ORN_EXITED_MINUS_ONE, ShowsTimes("error service:", 0));
}

}  // namespace
