// orn-host installed where a user puts it: in a directory with non-ASCII characters and spaces,
// deeper than MAX_PATH. It finds its default module and its message catalogues beside itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/module_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

struct HostRun {
  bool started = false;
  int status = -1;
  std::string output;  // stdout and stderr
};

// Runs the orn-host at program with args (UTF-8), its stderr merged into its stdout. On Windows
// it is started directly: the command interpreter cannot start a program deeper than MAX_PATH.
HostRun runHostAt(const fs::path& program, const std::string& args) {
  HostRun run;
#ifdef _WIN32
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + fs::u8path(args).wstring();
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.wstring().c_str(), &commandLine[0], nullptr, nullptr,
                                      TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  run.started = started != 0;
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0)
      run.output.append(buffer, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    run.status = static_cast<int>(status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    run.output =
        "cannot start " + program.u8string() + " (error " + std::to_string(GetLastError()) + ")";
  }
  CloseHandle(readEnd);
  return run;
#else
  const std::string command = "'" + program.string() + "' " + args + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  run.started = true;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = (status >> 8) & 0xFF;
  return run;
#endif
}

// path in a form the runtime's filesystem calls take at any length: on Windows they cannot list
// (nor so remove) a directory deeper than MAX_PATH under its plain name.
fs::path anyLength(const fs::path& path) {
#ifdef _WIN32
  if (path.wstring().rfind(L"\\\\?\\", 0) == 0) return path;
  return fs::path(L"\\\\?\\" + fs::absolute(path).wstring());
#else
  return path;
#endif
}

// Removes the tree at path, whatever its depth.
void removeTree(const fs::path& path) {
#ifdef _WIN32
  // The runtime's remove_all cannot list a directory deeper than MAX_PATH; the kernel can.
  const std::wstring root = anyLength(path).wstring();
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((root + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = root + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(fs::path(child));
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(root.c_str());
#else
  std::error_code ignored;
  fs::remove_all(path, ignored);
#endif
}

// A copy of orn-host, its default module and its catalogues in dir; returns the program's path.
fs::path installHostIn(const fs::path& dir) {
  const fs::path built = fs::u8path(platformExecutableDirectory());
  fs::create_directories(anyLength(dir));
  const std::string program = std::string("orn-host") + ORN_EXE_SUFFIX;
  const std::string module = std::string("component_template") + ORN_MODULE_SUFFIX;
  fs::copy_file(built / program, anyLength(dir / program));
  fs::copy_file(built / module, anyLength(dir / module));
  if (fs::exists(built / "locale")) {
    fs::copy(built / "locale", anyLength(dir / "locale"), fs::copy_options::recursive);
  }
  return dir / program;
}

class Win32HostPaths : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / (std::string("orn-win32-host-") + test->name());
    removeTree(root_);
  }
  void TearDown() override { removeTree(root_); }

  // The default module and the German catalogue are found beside the program.
  static void expectWorksFrom(const fs::path& program) {
    const HostRun inspect = runHostAt(program, "inspect");
    EXPECT_EQ(inspect.status, 0) << inspect.output;
    EXPECT_NE(inspect.output.find("name:        component_template"), std::string::npos)
        << inspect.output;

    const HostRun german = runHostAt(program, "test --no-test-service --lang de");
    EXPECT_EQ(german.status, 0) << german.output;
    EXPECT_NE(german.output.find("Testdienst nicht verf\xC3\xBC"
                                 "gbar"),
              std::string::npos)
        << german.output;
  }

  fs::path root_;
};

TEST_F(Win32HostPaths, RunsFromANonAsciiDirectoryWithSpaces) {
  expectWorksFrom(installHostIn(root_ / fs::u8path(u8"Zoë Programme") / fs::u8path(u8"Tëmp ü")));
}

// Regression: the program's own path was cut at MAX_PATH, so orn-host looked for its module in
// a directory that does not exist. (Started from a shell as "wine orn-host.exe" it runs there.)
TEST_F(Win32HostPaths, RunsFromADirectoryDeeperThanMaxPath) {
  fs::path dir = root_;
  while (dir.u16string().size() < 300) dir /= "abcdefghijklmnopqrstuvwxyz0123456789";
  const fs::path program = installHostIn(dir);
  if (!runHostAt(program, "--help").started) {
    GTEST_SKIP() << "this system cannot start a program deeper than MAX_PATH from a process";
  }
  expectWorksFrom(program);
}

// A module path and a setting value with characters outside the ANSI code page reach the host
// intact (on Windows argv cannot carry them; the UTF-16 command line can).
TEST_F(Win32HostPaths, NonAsciiArgumentsReachTheHost) {
  const fs::path program = installHostIn(root_ / "host");
  const fs::path moduleDir = root_ / fs::u8path(u8"Modül Ж 中");
  fs::create_directories(moduleDir);
  const std::string module = std::string("component_template") + ORN_MODULE_SUFFIX;
  fs::copy_file(program.parent_path() / module, moduleDir / module);
  const std::string modulePath = (moduleDir / module).u8string();

  const HostRun inspect = runHostAt(program, "inspect \"" + modulePath + "\"");
  EXPECT_EQ(inspect.status, 0) << inspect.output;
  EXPECT_NE(inspect.output.find("name:        component_template"), std::string::npos)
      << inspect.output;

  const fs::path tempDir = root_ / fs::u8path(u8"Tëmp Ж");
  fs::create_directories(tempDir);
  const HostRun withSetting =
      runHostAt(program, "check --set \"Directories/Temp Directory=" + tempDir.u8string() +
                             "\" \"" + modulePath + "\"");
  EXPECT_EQ(withSetting.status, 0) << withSetting.output;
}

// A module path that begins with a slash is a path, not a "/option", on every system.
TEST_F(Win32HostPaths, ASlashPathIsAModuleNotAnOption) {
  const fs::path program = installHostIn(root_ / "host");
  // On the current drive, so that on Windows the path without its drive names the same file.
  const fs::path moduleDir = fs::current_path() / "orn-slash-path-module";
  removeTree(moduleDir);
  fs::create_directories(moduleDir);
  const std::string module = std::string("component_template") + ORN_MODULE_SUFFIX;
  fs::copy_file(program.parent_path() / module, moduleDir / module);
  std::string modulePath = (moduleDir / module).u8string();
#ifdef _WIN32
  if (modulePath.size() > 2 && modulePath[1] == ':') modulePath = modulePath.substr(2);
  for (char& c : modulePath) {
    if (c == '\\') c = '/';
  }
#endif
  ASSERT_EQ(modulePath.front(), '/');
  const HostRun inspect = runHostAt(program, "inspect \"" + modulePath + "\"");
  EXPECT_EQ(inspect.status, 0) << inspect.output;
  removeTree(moduleDir);
}

}  // namespace
