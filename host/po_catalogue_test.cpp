#include "host/po_catalogue.h"

#include <gtest/gtest.h>

#include "core/orn_id.h"
#include "host/host_language.h"
#include "host/orn_host.h"
#include "host/wide_text.h"
#include "memory/out_of_memory.h"

TEST(HostCatalogue, PlaceholdersOfAText) {
  EXPECT_EQ(placeholdersOf("%1 of %2"), (std::set<int>{1, 2}));
  EXPECT_EQ(placeholdersOf("%10 and %:"), (std::set<int>{10}));
  EXPECT_EQ(placeholdersOf("100% sure, %%1 is literal, %x too"), (std::set<int>{}));
  EXPECT_EQ(placeholdersOf("%9%1"), (std::set<int>{1, 9}));
  EXPECT_EQ(placeholdersOf("%"), (std::set<int>{}));
}

TEST(HostCatalogue, ReadsEntriesAsGettextDoes) {
  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  EXPECT_TRUE(
      catalogue.loadText("msgid \"\"\n"
                         "msgstr \"\"\n"
                         "\"Language: de\\n\"\n"
                         "\n"
                         "# a comment\n"
                         "msgid \"one\"\n"
                         "msgstr \"eins\"\n"
                         "\n"
                         "msgid \"two \"\n"
                         "\"lines\\n\\\"quoted\\\"\"\n"
                         "msgstr \"zwei \" \"Zeilen\"\n"
                         "\n"
                         "#, fuzzy\n"
                         "msgid \"fuzzy\"\n"
                         "msgstr \"unsicher\"\n"
                         "\n"
                         "msgid \"untranslated\"\n"
                         "msgstr \"\"\n"
                         "\n"
                         "msgctxt \"menu\"\n"
                         "msgid \"File\"\n"
                         "msgstr \"Datei\"\n"
                         "\n"
                         "msgid \"%1 file\"\n"
                         "msgid_plural \"%1 files\"\n"
                         "msgstr[0] \"%1 Datei\"\n"
                         "msgstr[1] \"%1 Dateien\"\n",
                         "de.po", &problems))
      << (problems.empty() ? "" : problems[0].toString());
  EXPECT_EQ(catalogue.language(), "de");
  ASSERT_NE(catalogue.find("one"), nullptr);
  EXPECT_EQ(*catalogue.find("one"), "eins");
  ASSERT_NE(catalogue.find("two lines\n\"quoted\""), nullptr);
  EXPECT_EQ(*catalogue.find("two lines\n\"quoted\""), "zwei Zeilen");
  EXPECT_EQ(catalogue.find("fuzzy"), nullptr);
  EXPECT_EQ(catalogue.find("untranslated"), nullptr);
  EXPECT_EQ(catalogue.find("File"), nullptr);
  ASSERT_NE(catalogue.find(std::string("menu") + '\x04' + "File"), nullptr);
  ASSERT_NE(catalogue.find("%1 file"), nullptr);
  EXPECT_EQ(*catalogue.find("%1 file"), "%1 Datei");
  EXPECT_EQ(catalogue.find(""), nullptr);
}

TEST(HostCatalogue, TranslationsThatLoseOrAddPlaceholdersAreReportedAndNotUsed) {
  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  EXPECT_FALSE(
      catalogue.loadText("msgid \"%1 of %2\"\n"
                         "msgstr \"%2 von %1\"\n"
                         "\n"
                         "msgid \"copy %1 to %2\"\n"
                         "msgstr \"kopiere nach %2\"\n"
                         "\n"
                         "msgid \"plain\"\n"
                         "msgstr \"schlicht %3\"\n",
                         "de.po", &problems));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].toString(),
            "de.po:4: translation of \"copy %1 to %2\" does not keep its placeholders; missing %1 "
            "(entry not used)");
  EXPECT_EQ(problems[1].toString(),
            "de.po:7: translation of \"plain\" does not keep its placeholders; not in the source "
            "%3 (entry not used)");
  ASSERT_NE(catalogue.find("%1 of %2"), nullptr);  // reordering keeps every placeholder
  EXPECT_EQ(catalogue.find("copy %1 to %2"), nullptr);
  EXPECT_EQ(catalogue.find("plain"), nullptr);
}

TEST(HostCatalogue, MalformedLinesAreReportedWithTheirLine) {
  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  EXPECT_FALSE(
      catalogue.loadText("msgid \"unterminated\n"
                         "msgstr \"x\"\n"
                         "\"orphan\"\n"
                         "msgid \"a\"\n"
                         "msgstr \"b\\q\"\n"
                         "msgtxt \"typo\"\n"
                         "msgid \"no translation\"\n",
                         "bad.po", &problems));
  std::vector<std::string> lines;
  for (const CatalogueProblem& p : problems) lines.push_back(p.toString());
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "bad.po:1: msgid: string without closing quote");
  EXPECT_EQ(lines[1], "bad.po:2: msgstr without msgid");
  EXPECT_EQ(lines[2], "bad.po:3: a string that continues nothing");
  EXPECT_EQ(lines[3], "bad.po:5: msgstr: unknown escape '\\q'");
  EXPECT_EQ(lines[4], "bad.po:6: unknown keyword 'msgtxt'");
  EXPECT_EQ(lines[5], "bad.po:7: msgid without msgstr");
}

TEST(HostCatalogue, ShippedGermanCatalogueTranslatesTheModulesTexts) {
  const std::string file = findCatalogue("de_DE.UTF-8", catalogueDirectories(""));
  ASSERT_FALSE(file.empty());
  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  EXPECT_TRUE(catalogue.loadFile(file, &problems));
  EXPECT_TRUE(problems.empty());
  ASSERT_NE(catalogue.find("Unable to get test service"), nullptr);
  EXPECT_EQ(*catalogue.find("Unable to get test service"), "Testdienst nicht verf\xC3\xBCgbar");
  const std::string* oom = catalogue.find(ubrOutOfMemoryText);
  ASSERT_NE(oom, nullptr);
  EXPECT_NE(oom->find("Arbeitsspeicher"), std::string::npos);
  EXPECT_EQ(std::count(oom->begin(), oom->end(), '\n'), 2);
  EXPECT_EQ(findCatalogue("../de", catalogueDirectories("")), "");
  EXPECT_EQ(findCatalogue("xx", catalogueDirectories("")), "");
}

TEST(HostCatalogue, HostTranslatorLooksUpAndFillsPlaceholders) {
  static OrnHostApp* host = new OrnHostApp(OrnHostOptions{0, 1, 'O'});  // never destroyed
  auto catalogue = std::make_shared<PoCatalogue>();
  std::vector<CatalogueProblem> problems;
  ASSERT_TRUE(catalogue->loadText("msgid \"%1 files in %2\"\nmsgstr \"%2: %1 Dateien\"\n", "t.po",
                                  &problems));
  host->translator().setCatalogue(catalogue);
  IOrnTranslator* translator = host->translatorService().translatorFor(OrnID());
  ASSERT_EQ(translator, static_cast<IOrnTranslator*>(&host->translator()));
  const OrnWString count("12"), where("/tmp");
  EXPECT_EQ(toUtf8(translator->translate("%1 files in %2", &count, &where)), "/tmp: 12 Dateien");
  EXPECT_EQ(toUtf8(translator->translate("not in the catalogue")), "not in the catalogue");
  EXPECT_EQ(host->translator().translateUtf8("%1 files in %2"), "%2: %1 Dateien");
  EXPECT_FALSE(translator->probe(7));
}
