/* A DLL's entry point: initialisers before DllMain sees the attach, the exit list after DllMain
   sees the detach (FreeLibrary, or process exit). */
#include "crt_sections.h"

int __stdcall DllMain(void* instance, unsigned long reason, void* reserved);

enum { kProcessDetach = 0, kProcessAttach = 1 };

int __stdcall _DllMainCRTStartup(void* instance, unsigned long reason, void* reserved) {
  if (reason == kProcessAttach && !orn_crt_run_initialisers()) return 0;
  int ok = DllMain(instance, reason, reserved);
  if (reason == kProcessAttach && !ok) {
    orn_crt_run_exit_list();
  } else if (reason == kProcessDetach) {
    orn_crt_run_exit_list();
  }
  return ok;
}
