/* A console executable's entry point: initialisers, main(argc, argv) with msvcrt.dll's parsed
   arguments, exit. msvcrt.dll's exit runs the image's exit list (registered with its _onexit here),
   so a program that calls exit() itself destroys its statics too. */
#include "crt_sections.h"

typedef struct {
  int newmode;
} OrnStartupInfo;
__declspec(dllimport) int __cdecl __getmainargs(int*, char***, char***, int, OrnStartupInfo*);
__declspec(dllimport) void __cdecl __set_app_type(int);
__declspec(dllimport) void __cdecl exit(int);
/* msvcrt.dll's own exit list (atexit is the image's, exit_list.c). */
typedef int(__cdecl* OrnOnexitFn)(void);
__declspec(dllimport) OrnOnexitFn __cdecl _onexit(OrnOnexitFn);

int __cdecl main(int argc, char** argv, char** envp);

enum { kConsoleApp = 1 };

static int __cdecl run_exit_list(void) {
  orn_crt_run_exit_list();
  return 0;
}

void __cdecl mainCRTStartup(void) {
  int argc = 0;
  char** argv = 0;
  char** envp = 0;
  OrnStartupInfo info = {0};
  __set_app_type(kConsoleApp);
  if (__getmainargs(&argc, &argv, &envp, 0, &info) < 0) exit(255);
  _onexit(run_exit_list);
  if (!orn_crt_run_initialisers()) exit(255);
  exit(main(argc, argv, envp));
}
