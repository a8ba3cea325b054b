// Inputs of the host found by fuzzing its parsers, kept as regressions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/settings_store.h"
#include "host/wide_text.h"

namespace {

// Regression: a NUL byte inside a value was taken, and a module, reading the value as a
// terminated UTF-16 text, saw it cut short without anyone being told.
TEST(HardeningSettingsInput, NulByteInALineIsReportedNotCutShort) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  const std::string text("[A]\nk = ab\0cd\nok = 1\n", 21);
  EXPECT_FALSE(settings.loadText(text, "nul.ini", &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].toString(), "nul.ini:2: contains a NUL byte");
  EXPECT_EQ(settings.value("A/k"), "");
  EXPECT_EQ(settings.value("A/ok"), "1");
  EXPECT_EQ(toUtf8(settings.stringValue("A/ok", 0)), "1");
}

TEST(HardeningSettingsInput, NulByteInASetPairIsRefused) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_FALSE(settings.setPair(std::string("A/k=ab\0cd", 9), &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].toString(), "--set: the pair for 'A/k' contains a NUL byte");
  EXPECT_EQ(settings.value("A/k"), "");
}

}  // namespace
