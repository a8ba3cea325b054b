// GoogleTest first: included after the JSON header instead, the C library's inline strtod becomes
// a global definition in the Microsoft-ABI build and clashes with msvcrt.dll's at link time.
// clang-format off
#include <gtest/gtest.h>

#include <string>

#include "orn-host/safe_text.h"
// clang-format on

namespace {

// Every byte value once, in order.
std::string everyByte() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// True when no byte of text is a C0 control (or, unless only C0 is asked about, DEL); the
// newline only where allowed.
bool holdsNoControl(const std::string& text, bool newlinesAllowed, bool c0Only = false) {
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '\n' && newlinesAllowed) continue;
    if (byte < 0x20 || (byte == 0x7F && !c0Only)) return false;
  }
  return true;
}

// ---- text mode

TEST(SafeText, PrintableTextAndUtf8AreKeptAsTheyStand) {
  EXPECT_EQ(safeText("component_template 1.2"), "component_template 1.2");
  EXPECT_EQ(safeText(u8"Zoë \u20ac \U0001F600"), u8"Zoë \u20ac \U0001F600");
  EXPECT_EQ(safeText("C:\\Temp\\x"), "C:\\Temp\\x");  // paths keep their backslashes
  EXPECT_EQ(safeText(""), "");
}

TEST(SafeText, TerminalEscapesAndControlsBecomeVisibleEscapes) {
  EXPECT_EQ(safeText("\x1b[31mred\x1b[0m"), "\\x1b[31mred\\x1b[0m");
  EXPECT_EQ(safeText(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(safeText("bell\a del\x7f"), "bell\\x07 del\\x7f");
  EXPECT_EQ(safeText("tab\there\r\n"), "tab\\there\\r\\n");
  // C1 controls in their UTF-8 form: U+009B is a one-character CSI to many terminals.
  EXPECT_EQ(safeText("\xc2\x9b"
                     "31m \xc2\x85 \xc2\xa0"),
            "\\u009b31m \\u0085 \xc2\xa0");
}

TEST(SafeText, BytesThatAreNotUtf8AreEscapedOneByOne) {
  EXPECT_EQ(safeText("a\xff"
                     "b"),
            "a\\xffb");
  EXPECT_EQ(safeText("\xc3"), "\\xc3");                             // cut short at the end
  EXPECT_EQ(safeText("\xc3(x"), "\\xc3(x");                         // a lead without its follower
  EXPECT_EQ(safeText("\xc0\xaf"), "\\xc0\\xaf");                    // overlong '/'
  EXPECT_EQ(safeText("\xed\xa0\x80"), "\\xed\\xa0\\x80");           // a surrogate
  EXPECT_EQ(safeText("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");  // past U+10FFFF
}

TEST(SafeText, AForgedCheckLineNeverStartsALine) {
  const std::string forged = "name\n[ ok ] everything passed\r[ ok ] again";
  const std::string shown = safeText(forged);
  EXPECT_EQ(shown.find('\n'), std::string::npos);
  EXPECT_EQ(shown.find('\r'), std::string::npos);
  EXPECT_EQ(shown, "name\\n[ ok ] everything passed\\r[ ok ] again");
}

TEST(SafeText, NoByteSequenceLeavesAControlCharacter) {
  const std::string all = everyByte();
  EXPECT_TRUE(holdsNoControl(safeText(all), false));
  EXPECT_TRUE(holdsNoControl(safeLines(all, "  "), true));
  EXPECT_TRUE(isValidUtf8(safeText(all)));
}

TEST(SafeLines, ContinuationLinesAreIndentedAndStillEscaped) {
  EXPECT_EQ(safeLines("first\nsecond\n[ ok ] forged", "    "),
            "first\n    second\n    [ ok ] forged");
  EXPECT_EQ(safeLines("one line", "    "), "one line");
  EXPECT_EQ(safeLines("a\r\n\x1b[2Jb", "  "), "a\n  \\x1b[2Jb");   // CR LF is a line end
  EXPECT_EQ(safeLines("a\r[ ok ] b\r", "  "), "a\\r[ ok ] b\\r");  // a lone CR is not
  EXPECT_EQ(safeLines("ends\n", "  "), "ends\n  ");
}

// ---- UTF-8

TEST(ValidUtf8, AcceptsWellFormedAndRefusesTheRest) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8(u8"plain, é, \u20ac, \U0010FFFF"));
  EXPECT_TRUE(isValidUtf8(std::string("nul\0inside", 10)));
  for (const char* bad : {"\x80", "\xff", "\xc3", "\xe2\x82", "\xc0\x80", "\xe0\x80\x80",
                          "\xed\xbf\xbf", "\xf8\x88\x80\x80\x80", "ok\xfe"}) {
    EXPECT_FALSE(isValidUtf8(bad)) << safeText(bad);
  }
}

// ---- JSON

TEST(JsonOutput, ValidTextIsDumpedAsItStandsWithoutAMark) {
  const std::string out = jsonOutput({{"name", u8"Zoë"}, {"n", 3}});
  EXPECT_EQ(out, "{\n  \"n\": 3,\n  \"name\": \"Zoë\"\n}");
  EXPECT_EQ(nlohmann::json::parse(out).count("invalidUtf8"), 0u);
}

// Regression: one byte that was not UTF-8 anywhere in the document dropped the whole report for
// a type_error.
TEST(JsonOutput, BadBytesAnywhereAreReplacedAndTheDocumentSaysSo) {
  nlohmann::json document = {{"module", "/tmp/bad\xff.so"},
                             {"classes", {{{"name", "C\xc3("}, {"interfaces", {"I\x80"}}}}},
                             {"ok", false}};
  document["reports"][std::string("key\xfe")] = "value";
  const std::string out = jsonOutput(document);
  const nlohmann::json back = nlohmann::json::parse(out);  // throws on invalid UTF-8
  EXPECT_EQ(back["invalidUtf8"], true);
  EXPECT_EQ(back["module"], "/tmp/bad\xef\xbf\xbd.so");
  EXPECT_EQ(back["classes"][0]["interfaces"][0], "I\xef\xbf\xbd");
  EXPECT_EQ(back["reports"].begin().key(), "key\xef\xbf\xbd");
  EXPECT_EQ(back["ok"], false);
}

TEST(JsonOutput, EveryByteValueGivesParsableJsonWithControlsEscaped) {
  const std::string out = jsonOutput({{"text", everyByte()}});
  const nlohmann::json back = nlohmann::json::parse(out);
  EXPECT_EQ(back["invalidUtf8"], true);
  EXPECT_EQ(back["text"].get<std::string>().substr(0, 0x7F), everyByte().substr(0, 0x7F));
  EXPECT_TRUE(holdsNoControl(out, true, true));  // C0 controls travel as \u00XX escapes
}

TEST(JsonOutput, NonObjectDocumentsAreStillValid) {
  EXPECT_EQ(nlohmann::json::parse(jsonOutput(nlohmann::json::array({"a\xff"})))[0],
            "a\xef\xbf\xbd");
}

}  // namespace
