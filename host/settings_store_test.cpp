#include "host/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/wide_text.h"

namespace {
std::string wide(HostSettings& settings, const char* key) {
  return toUtf8(settings.stringValue(key, 0));
}
}  // namespace

TEST(HostSettings, ReadsSectionsNamesAndValues) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_TRUE(
      settings.loadText("; comment\n"
                        "# another\n"
                        "top = level\n"
                        "\n"
                        "[Directories]\n"
                        "  Temp Directory   =   /var/tmp/orn  \n"
                        "[ Paths ]\n"
                        "quoted = \"  kept blanks  \"\n"
                        "empty =\n"
                        "equals = a=b\r\n",
                        "host.ini", &problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(settings.value("top"), "level");
  EXPECT_EQ(settings.value("Directories/Temp Directory"), "/var/tmp/orn");
  EXPECT_EQ(settings.value("Paths/quoted"), "  kept blanks  ");
  EXPECT_EQ(settings.value("Paths/empty"), "");
  EXPECT_EQ(settings.value("Paths/equals"), "a=b");
  EXPECT_EQ(wide(settings, "Directories/Temp Directory"), "/var/tmp/orn");
}

TEST(HostSettings, BadLinesAreReportedWithFileAndLineAndTheRestIsKept) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_FALSE(
      settings.loadText("[Good]\n"
                        "a = 1\n"
                        "no equals sign\n"
                        "[unclosed\n"
                        "= no name\n"
                        "[]\n"
                        "b = 2\n"
                        "a = 3\n"
                        "bad = \xC3\x28\n",
                        "host.ini", &problems));
  ASSERT_EQ(problems.size(), 6u);
  EXPECT_EQ(problems[0].toString(),
            "host.ini:3: expected 'name = value' or '[section]', got 'no equals sign'");
  EXPECT_EQ(problems[1].toString(), "host.ini:4: section header without closing ']'");
  EXPECT_EQ(problems[2].toString(), "host.ini:5: a value without a name");
  EXPECT_EQ(problems[3].toString(), "host.ini:6: empty section name");
  EXPECT_EQ(problems[4].toString(), "host.ini:8: 'Good/a' is set again; the later value is kept");
  EXPECT_EQ(problems[5].toString(), "host.ini:9: not valid UTF-8");
  // Good lines around the bad ones are kept; a bad section header leaves the section as it was.
  EXPECT_EQ(settings.value("Good/a"), "3");
  EXPECT_EQ(settings.value("Good/b"), "2");
  EXPECT_EQ(settings.value("Good/bad"), "");
}

TEST(HostSettings, SetPairsFromTheCommandLine) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_TRUE(settings.setPair("Directories/Temp Directory=C:\\Temp", &problems));
  EXPECT_TRUE(settings.setPair("x = y = z", &problems));
  EXPECT_FALSE(settings.setPair("novalue", &problems));
  EXPECT_FALSE(settings.setPair("=value", &problems));
  EXPECT_EQ(settings.value("Directories/Temp Directory"), "C:\\Temp");
  EXPECT_EQ(settings.value("x"), " y = z");
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].toString(), "--set: expected KEY=VALUE, got 'novalue'");
}

// Regression: a key that was not UTF-8 was taken, and later broke every --json report.
TEST(HostSettings, SetPairRefusesAKeyThatIsNotUtf8AndKeepsTheRest) {
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_FALSE(settings.setPair("Bad\xff/key=1", &problems));
  EXPECT_TRUE(settings.setPair("Good/key=2", &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("not valid UTF-8"), std::string::npos);
  EXPECT_EQ(settings.value("Bad\xff/key"), "");
  EXPECT_EQ(settings.value("Good/key"), "2");
}

TEST(HostSettings, TempDirectoryDefaultsToTheSystemsAndUnknownKeysAreEmpty) {
  HostSettings settings;
  const std::string temp = settings.value(HostSettings::tempDirectoryKey);
  EXPECT_EQ(temp, systemTempDirectory());
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(temp))) << temp;
  EXPECT_NE(temp.back(), '/');
  const OrnWString& missing = settings.stringValue("No/Such Key", 0);
  EXPECT_TRUE(missing.empty());
  EXPECT_EQ(&settings.stringValue(nullptr, 0), &missing);
}

TEST(HostSettings, ValuesReachModulesAsUtf16) {
  HostSettings settings;
  settings.set("Directories/Temp Directory",
               "/tmp/gr\xC3\xBC\xC3\x9F"
               "e/\xF0\x9F\x98\x80");
  const OrnWString& value = settings.stringValue("Directories/Temp Directory", 0);
  const char16_t expected[] = {u'/', u't', u'm', u'p', u'/',   u'g',   u'r',
                               0xFC, 0xDF, u'e', u'/', 0xD83D, 0xDE00, 0};
  ASSERT_EQ(value.length(), 13);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(value.text[i], expected[i]) << i;
  EXPECT_EQ(toUtf8(value),
            "/tmp/gr\xC3\xBC\xC3\x9F"
            "e/\xF0\x9F\x98\x80");
}

TEST(HostSettings, LoadsARealFileAndReportsAMissingOne) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orn-host-settings";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "host.ini";
  std::ofstream(file, std::ios::binary)
      << "\xEF\xBB\xBF[Directories]\nTemp Directory = " << dir.string() << "\nbroken\n";
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  EXPECT_FALSE(settings.loadFile(file.string(), &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 3);
  EXPECT_EQ(problems[0].file, file.string());
  EXPECT_EQ(settings.value("Directories/Temp Directory"), dir.string());

  problems.clear();
  EXPECT_FALSE(settings.loadFile((dir / "missing.ini").string(), &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("cannot read"), std::string::npos);
  std::filesystem::remove_all(dir);
}
