// Debug-build invariant checks of the text records: a broken record is reported to the host's
// assertion handler and execution goes on; without a handler the process ends with status 255.
#include "text/text_check.h"

#include <gtest/gtest.h>

#include "testhost/memory_services.h"
#include "testhost/test_host.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"
#include "text/orn_wstring.h"

namespace {

#ifndef NDEBUG

RecordingAssertHandler& attachAssertHandler() {
  TestHost& host = attachTestHost();
  auto* handler = new RecordingAssertHandler();
  static_cast<IOrnUnknown*>(handler)->addRef();  // the test's reference: kept to the end
  host.offer<IOrnAssertHandlerCB>(handler);
  return *handler;
}

TEST(TextChecks, BrokenStringOwnershipIsReportedAndSurvived) {
  RecordingAssertHandler& handler = attachAssertHandler();
  OrnString broken;
  broken.capacity = 4;  // claims a block it does not have
  broken.clear();
  ASSERT_EQ(handler.assertions.size(), 1u);
  EXPECT_EQ(handler.assertions[0].expression, "stringIsSound(*this)");
  EXPECT_EQ(handler.assertions[0].file, "orn_string.cpp");
  EXPECT_GT(handler.assertions[0].line, 0);
  EXPECT_EQ(broken.text, nullptr);
  EXPECT_EQ(broken.capacity, 0);
}

TEST(TextChecks, BrokenWideStringIsReported) {
  RecordingAssertHandler& handler = attachAssertHandler();
  OrnWString broken;
  broken.capacity = 8;
  broken.append(OrnWString("x"));
  ASSERT_GE(handler.assertions.size(), 1u);
  EXPECT_EQ(handler.assertions[0].expression, "wideStringIsSound(*this)");
  EXPECT_EQ(broken.length(), 1);  // served from a new block, the broken one never written
}

TEST(TextChecks, MisfiledHashEntryIsReportedAndRefiled) {
  RecordingAssertHandler& handler = attachAssertHandler();
  OrnHashTable<OrnString, int32_t> table(131);
  auto* entry = new OrnHashEntry<OrnString, int32_t>{500, OrnString("key"), 1, nullptr};
  table.insert(entry);
  ASSERT_EQ(handler.assertions.size(), 1u);
  EXPECT_EQ(entry->bucketIndex, nameHash("key") % 131u);
  EXPECT_TRUE(table.isSound());
}

TEST(TextChecksDeathTest, WithoutHandlerTheProcessEndsWith255) {
  EXPECT_EXIT(
      {
        OrnString broken;
        broken.capacity = 4;
        broken.clear();
      },
      testing::ExitedWithCode(255), "");
}

#endif  // NDEBUG

}  // namespace
