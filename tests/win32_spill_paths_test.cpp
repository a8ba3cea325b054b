// The spill in the temporary directories a host is really configured with: non-ASCII names with
// spaces, deeper than MAX_PATH, missing, read-only, not a directory at all. The spill works, or
// the user is told once and the process ends with status -1; no file is ever written anywhere
// else. The spilled bytes come back exactly: no text-mode translation of CR, LF or Ctrl-Z.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include "memory/memory_test_support.h"
#include "memory/ubrrealloc.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "tempfile/temp_path.h"

#ifdef _WIN32
#include <cstdlib>

#include "platform/win32/extended_path.h"
#endif

namespace fs = std::filesystem;

namespace {

// Every byte value, CR, LF and Ctrl-Z included, repeated.
constexpr int oldBytes = 64 * 1024;
constexpr int newBytes = 96 * 1024;

unsigned char patternByte(int i) { return static_cast<unsigned char>((i * 7 + i / 256) & 0xFF); }

// The filesystem path of a spill path as the platform layer opens it.
fs::path onDisk(const std::u16string& spillPath) {
  std::u16string text(spillPath);
#ifndef _WIN32
  for (char16_t& unit : text) {
    if (unit == u'\\') unit = u'/';
  }
#endif
  return fs::path(text);
}

bool isSpillName(const fs::path& file) {
  const std::string name = file.filename().string();
  return name.rfind("orn-", 0) == 0 && name.size() == 26 && name.substr(21) == "-temp";
}

// Spill files lying in dir (not descending).
std::set<fs::path> spillFilesIn(const fs::path& dir) {
  std::set<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (isSpillName(it->path())) found.insert(it->path());
  }
  return found;
}

class Win32SpillPath : public MemoryHostTest {
 protected:
  void SetUp() override {
    MemoryHostTest::SetUp();
    block = platformMalloc(oldBytes);
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < oldBytes; ++i) static_cast<unsigned char*>(block)[i] = patternByte(i);
    heap.kinds = FaultHeap::reallocRequest;  // growth in place always refused: it spills
    heap.failAll = true;
  }
  void TearDown() override {
    platformFree(block);
    if (!readOnly_.empty()) {
      std::error_code ignored;
      fs::permissions(readOnly_, fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    MemoryHostTest::TearDown();
  }

  void useTempDirectory(const std::u16string& dir) { settings.set(tempDirectoryKey, dir); }

  int grow() {
    HeapFaultScope heapScope(heap);
    FileFaultScope fileScope(files);
    return ubrRealloc(&block, 1, oldBytes, newBytes, -1);
  }

  void expectContentsKeptThenZeroes() {
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    for (int i = 0; i < oldBytes; ++i) ASSERT_EQ(bytes[i], patternByte(i)) << "byte " << i;
    for (int i = oldBytes; i < newBytes; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  }

  // Grows through the spill with dir as the temp directory and checks that the file lay there,
  // the contents came back and nothing is left. (The runtime's directory listing cannot read a
  // directory deeper than MAX_PATH on Windows: listable false looks at the file alone.)
  void expectSpillIn(const fs::path& dir, bool listable = true) {
    EXPECT_EQ(grow(), newBytes);
    expectContentsKeptThenZeroes();
    ASSERT_EQ(files.openedPaths.size(), 1u);
    const fs::path opened = onDisk(files.openedPaths[0]);
    EXPECT_TRUE(fs::equivalent(opened.parent_path(), dir)) << opened;
    EXPECT_TRUE(isSpillName(opened)) << opened;
    EXPECT_EQ(files.bytesWritten, static_cast<size_t>(oldBytes));
    EXPECT_EQ(files.bytesRead, static_cast<size_t>(oldBytes));
    EXPECT_FALSE(fs::exists(opened));
    if (listable) {
      EXPECT_TRUE(fs::is_empty(dir));
    }
    EXPECT_TRUE(errors.reports.empty());
  }

  // Places where a spill file would land if the directory were dropped from its path.
  static std::set<fs::path> strayPlaces() {
    return {fs::current_path(), fs::current_path().root_path(), fs::temp_directory_path(),
            spillDirectory()};
  }
  static std::set<fs::path> straySpillFiles() {
    std::set<fs::path> found;
    for (const fs::path& place : strayPlaces()) {
      const std::set<fs::path> here = spillFilesIn(place);
      found.insert(here.begin(), here.end());
    }
    return found;
  }

  // A spill that cannot create its file: one message, status -1, and no spill file anywhere.
  void expectToldAndEndedWithoutFiles() {
    const std::set<fs::path> before = straySpillFiles();
    EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
    EXPECT_EQ(straySpillFiles(), before);
  }

  FaultHeap heap;
  FaultFiles files;  // plans no fault: records and forwards to the system's files
  void* block = nullptr;
  fs::path readOnly_;
};

TEST_F(Win32SpillPath, NonAsciiDirectoryWithSpacesKeepsEveryByte) {
  const fs::path dir = spillDirectory() / fs::u8path(u8"Zoë") / fs::u8path(u8"Tëmp ü");
  fs::create_directories(dir);
  useTempDirectory(dir.u16string());
  expectSpillIn(dir);
}

TEST_F(Win32SpillPath, DirectoryDeeperThanMaxPathWorks) {
  fs::path dir = spillDirectory() / fs::u8path(u8"tïef");
  while (dir.u16string().size() < 300) dir /= "abcdefghijklmnopqrstuvwxyz0123456789";
  fs::create_directories(dir);
  // Given with '/' separators: the long form must make a path the system takes.
  useTempDirectory(dir.generic_u16string());
  expectSpillIn(dir, false);
  // The chain of empty directories, removed one by one from the deepest: the runtime cannot list
  // them for remove_all under their plain names.
  for (fs::path level = dir; level != spillDirectory(); level = level.parent_path()) {
#ifdef _WIN32
    fs::remove(fs::path(L"\\\\?\\" + level.wstring()));
#else
    fs::remove(level);
#endif
  }
}

TEST_F(Win32SpillPath, MissingDirectoryIsToldAndLeavesNoFileAnywhere) {
  const fs::path missing = spillDirectory() / "missing" / "deeper";
  useTempDirectory(missing.u16string());
  expectToldAndEndedWithoutFiles();
  EXPECT_FALSE(fs::exists(spillDirectory() / "missing"));
}

TEST_F(Win32SpillPath, DirectoryThatIsAFileIsToldAndTheFileIsUntouched) {
  const fs::path notADirectory = spillDirectory() / "plain file";
  std::ofstream(notADirectory, std::ios::binary) << "stays as it is";
  useTempDirectory(notADirectory.u16string());
  expectToldAndEndedWithoutFiles();
  std::ifstream in(notADirectory, std::ios::binary);
  std::string contents;
  std::getline(in, contents);
  EXPECT_EQ(contents, "stays as it is");
}

TEST_F(Win32SpillPath, ReadOnlyDirectoryIsToldAndLeavesNoFile) {
  const fs::path dir = spillDirectory() / "read only";
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  readOnly_ = dir;
  {
    const fs::path probe = dir / "probe";
    std::ofstream(probe) << "x";
    if (fs::exists(probe)) {
      fs::remove(probe);
      GTEST_SKIP() << "this user may write into a read-only directory (an administrator, or a "
                      "Windows read-only attribute, which directories ignore)";
    }
  }
  useTempDirectory(dir.u16string());
  expectToldAndEndedWithoutFiles();
  EXPECT_TRUE(fs::is_empty(dir));
}

// The spill's own file calls on a non-ASCII path: created only where nothing is, binary both
// ways, gone once closed.
TEST_F(Win32SpillPath, SpillFileIsExclusiveBinaryAndGoneWhenClosed) {
  const fs::path dir = spillDirectory() / fs::u8path(u8"Zoë ü");
  fs::create_directories(dir);
  const std::u16string path = (dir / "orn-00000001-00000002-temp").u16string();
  bool nameTaken = true;
  const int file = platformOpenSpillFile(path.c_str(), &nameTaken);
  ASSERT_NE(file, platformNoFile);
  EXPECT_FALSE(nameTaken);

#ifdef _WIN32
  bool secondTaken = false;
  // Until closed the file has its name; a second create must refuse it as taken.
  EXPECT_EQ(platformOpenSpillFile(path.c_str(), &secondTaken), platformNoFile);
  EXPECT_TRUE(secondTaken);
#endif

  const char bytes[] = {'\n', '\r', '\x1a', '\r', '\n', '\0', 'x', '\x1a', '\n'};
  ASSERT_EQ(platformWriteFile(file, bytes, sizeof bytes), sizeof bytes);
  ASSERT_TRUE(platformSeekToStart(file));
  char back[2 * sizeof bytes] = {};
  ASSERT_EQ(platformReadFile(file, back, sizeof back), sizeof bytes);  // no byte added or lost
  EXPECT_EQ(std::string(back, sizeof bytes), std::string(bytes, sizeof bytes));
  platformCloseFile(file);
  EXPECT_FALSE(fs::exists(onDisk(path)));
  EXPECT_TRUE(fs::is_empty(dir));
}

#ifdef _WIN32
std::wstring extendedForm(const std::wstring& path) {
  wchar_t* extended = extendedLengthPath(path.c_str());
  const std::wstring form = extended ? extended : path;
  std::free(extended);
  return form;
}

TEST(Win32ExtendedPath, LongPathsGetTheFormThatTakesAnyLength) {
  std::wstring tail;
  while (tail.size() < 300) tail += L"\\abcdefghijklmnopqrstuvwxyz";
  const std::wstring shortPath = L"C:\\Temp\\orn-00000001-00000002-temp";
  EXPECT_EQ(extendedForm(shortPath), shortPath);              // used as it is
  EXPECT_EQ(extendedLengthPath(shortPath.c_str()), nullptr);  // and nothing allocated

  EXPECT_EQ(extendedForm(L"C:\\Temp" + tail), L"\\\\?\\C:\\Temp" + tail);
  std::wstring forward = L"C:/Temp" + tail;
  for (wchar_t& unit : forward) {
    if (unit == L'\\') unit = L'/';
  }
  EXPECT_EQ(extendedForm(forward), L"\\\\?\\C:\\Temp" + tail);
  EXPECT_EQ(extendedForm(L"C:\\Temp\\skipped\\..\\x" + tail), L"\\\\?\\C:\\Temp\\x" + tail);
  EXPECT_EQ(extendedForm(L"\\\\server\\share" + tail), L"\\\\?\\UNC\\server\\share" + tail);
  const std::wstring already = L"\\\\?\\C:\\Temp" + tail;
  EXPECT_EQ(extendedForm(already), already);

  // A relative path is made full against the current directory.
  const std::wstring relative = L"spill" + tail;
  const std::wstring cwd = fs::current_path().wstring();
  EXPECT_EQ(extendedForm(relative).rfind(L"\\\\?\\" + cwd, 0), 0u) << extendedForm(relative);
}
#endif

}  // namespace
