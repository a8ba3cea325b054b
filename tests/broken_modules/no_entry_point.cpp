// A shared library that exports something, but not EntryPoint.
#if defined(_WIN32)
#define EXPORTED extern "C" __declspec(dllexport)
#else
#define EXPORTED extern "C" __attribute__((visibility("default")))
#endif

EXPORTED int NotAnEntryPoint(int value) { return value + 1; }
