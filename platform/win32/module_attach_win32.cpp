// The DLL's entry function: on process attach it asks the loader to stop per-thread notifications.
// A DLL built by mingw-w64 carries a static TLS directory (its runtime's thread callbacks), and for
// such a DLL the loader refuses the request (ERROR_MOD_NOT_FOUND): the runtime's per-thread
// clean-up keeps running. Thread notifications that still arrive here do nothing.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}
