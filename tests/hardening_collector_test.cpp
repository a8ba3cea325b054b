// Enumeration into collectors a host got wrong: the module must not write outside their arrays.
#include <gtest/gtest.h>

#include "core/interface_names.h"
#include "memory/memory_test_support.h"

namespace {

class HardeningCollector : public testing::Test {
 protected:
  void SetUp() override {
    host = &attachTestHost();
    host->offer<IOrnAssertHandlerCB>(&asserts);
  }
  TestHost* host = nullptr;
  RecordingAssertHandler& asserts = processLifetime<RecordingAssertHandler>();
};

// Regression: a negative top made the module write before the start of the host's arrays (over
// the array's own bookkeeping), after telling the assertion handler.
TEST_F(HardeningCollector, NegativeTopsAreReportedAndNothingIsWrittenBeforeTheArrays) {
  OrnArray<OrnString> classNames(4);
  OrnArray<InterfaceNameRecord> records(4);
  classNames.top = -5;
  records.top = -3;
  InterfaceNameCollector collector(&classNames, &records);
  reportName("SomeClass", 1, &collector);
  reportName("ISomeInterface", 0, &collector);
  EXPECT_FALSE(asserts.assertions.empty());
  EXPECT_EQ(records.capacity, 4);
  EXPECT_EQ(classNames.capacity, 4);
  // The arrays are still whole: destroying them (at the end of the test) releases every slot.
}

TEST_F(HardeningCollector, TopsPastTheEndGrowTheArraysAndKeepTheirSlots) {
  OrnArray<OrnString> classNames(2);
  OrnArray<InterfaceNameRecord> records(2);
  classNames.data[1] = OrnString("Earlier");
  records.data[1].name.borrow("kept");
  classNames.top = 5;
  records.top = 7;
  InterfaceNameCollector collector(&classNames, &records);
  reportName("Next", 0, &collector);
  ASSERT_EQ(records.top, 8);
  EXPECT_GE(records.capacity, 9);
  EXPECT_STREQ(records.data[1].name.text, "kept");
  EXPECT_STREQ(records.data[8].name.text, "Next");
  EXPECT_EQ(records.data[8].parent.text, nullptr);  // slot 5 of classNames did not exist: empty
  EXPECT_STREQ(classNames.data[1].text, "Earlier");
  EXPECT_TRUE(asserts.assertions.empty());
}

}  // namespace
