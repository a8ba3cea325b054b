// A DLL that exercises the Microsoft-ABI build's own run-time (platform/msvc/): static
// initialisers and their order, the exit list run at FreeLibrary, C++ exceptions thrown and caught
// inside the module through msvcrt.dll's frame handler, thread-safe local statics. The test
// executable loads it as a host loads a module (msvc_runtime_test.cpp).
#include <windows.h>

#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "tests/msvc_runtime/probe_order.h"

#define PROBE_EXPORT extern "C" __declspec(dllexport)

namespace {
char steps[64];
int stepCount = 0;
char* unloadWatch = nullptr;  // the test's copy of the record, kept up to date at unload

struct Recorder {
  char begin;
  char end;
  Recorder(char b, char e) : begin(b), end(e) { recordStep(begin); }
  ~Recorder() {
    recordStep(end);
    if (unloadWatch) std::strcpy(unloadWatch, steps);
  }
};

// Made in this order at load, destroyed in the reverse order at unload.
Recorder first('A', 'a');
Recorder second('B', 'b');
Recorder third('C', 'c');

struct ProbeError : std::runtime_error {
  int code;
  explicit ProbeError(int c) : std::runtime_error("probe error"), code(c) {}
};

__declspec(noinline) void throwKind(int kind) {
  switch (kind) {
    case 0:
      throw ProbeError(7);
    case 1:
      throw std::string("a string");
    case 2:
      throw 42;
    case 3: {
      void* p = ::operator new(static_cast<size_t>(-1) / 2);  // more than a 32-bit process has
      ::operator delete(p);
      break;
    }
    default:
      break;
  }
}

std::atomic<int> constructions{0};
struct SlowToMake {
  int value;
  SlowToMake() : value(0) {
    constructions.fetch_add(1);
    Sleep(50);  // every other caller arrives while this one is still inside
    value = 1234;
  }
};

// Passes every exception on after a look at it (catch (...) and a rethrow).
__declspec(noinline) void throwAndRethrow(int kind) {
  try {
    throwKind(kind);
  } catch (...) {
    throw;
  }
}

}  // namespace

void recordStep(char step) {
  if (stepCount + 1 < static_cast<int>(sizeof steps)) steps[stepCount++] = step;
  steps[stepCount] = '\0';
}

// The record so far: A, B, C in that order after loading, and the inline variable's i.
PROBE_EXPORT const char* probeSteps() { return steps; }
PROBE_EXPORT int probeConstantValue() { return probeConstant.value; }
// watch: 64 chars of the test's, which receive the record as each static is destroyed.
PROBE_EXPORT void probeWatchUnload(char* watch) { unloadWatch = watch; }

// Throws a kind of exception inside the module, rethrows it once and catches it there: the code
// of what was caught (0 ProbeError by its base class and field, 1 std::string, 2 int,
// 3 std::bad_alloc), -1 when nothing or the wrong thing was caught. (A throw out of a handler to
// a try block of the same function is not used: msvcrt.dll under wine cannot unwind it.)
PROBE_EXPORT int probeCatch(int kind) {
  try {
    throwAndRethrow(kind);
  } catch (const std::runtime_error& error) {
    const ProbeError* probe = static_cast<const ProbeError*>(&error);
    return probe->code == 7 && std::strcmp(error.what(), "probe error") == 0 ? 0 : -1;
  } catch (const std::string& text) {
    return text == "a string" ? 1 : -1;
  } catch (int value) {
    return value == 42 ? 2 : -1;
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return -1;
}

// A local static made once however many threads ask at the same time.
PROBE_EXPORT const int* probeSharedStatic() {
  static SlowToMake made;
  return &made.value;
}
PROBE_EXPORT int probeConstructions() { return constructions.load(); }
