/* The image's own exit list. The compiler registers every static object's destructor with
   atexit; msvcrt.dll's list would run a DLL's destructors at process exit, after the DLL is gone,
   so each image keeps its own: a DLL runs it when it is unloaded, an executable when it exits.
   Guarded by a lock: thread-safe statics register from any thread. */
#include <stdlib.h>

#include "crt_sections.h"

typedef struct {
  void* ptr;
} OrnSrwLock;
__declspec(dllimport) void __stdcall AcquireSRWLockExclusive(OrnSrwLock*);
__declspec(dllimport) void __stdcall ReleaseSRWLockExclusive(OrnSrwLock*);

static OrnSrwLock exit_lock;
static OrnVoidFn* exit_fns;
static int exit_count;
static int exit_capacity;

int __cdecl atexit(OrnVoidFn fn) {
  int result = 0;
  AcquireSRWLockExclusive(&exit_lock);
  if (exit_count == exit_capacity) {
    int capacity = exit_capacity ? exit_capacity * 2 : 32;
    OrnVoidFn* grown = (OrnVoidFn*)realloc(exit_fns, (size_t)capacity * sizeof(OrnVoidFn));
    if (grown) {
      exit_fns = grown;
      exit_capacity = capacity;
    } else {
      result = -1;
    }
  }
  if (result == 0) exit_fns[exit_count++] = fn;
  ReleaseSRWLockExclusive(&exit_lock);
  return result;
}

/* A destructor may register more (a static made inside another's destructor): those run too. */
void orn_crt_run_exit_list(void) {
  for (;;) {
    OrnVoidFn fn = 0;
    AcquireSRWLockExclusive(&exit_lock);
    if (exit_count > 0) fn = exit_fns[--exit_count];
    ReleaseSRWLockExclusive(&exit_lock);
    if (!fn) break;
    fn();
  }
  AcquireSRWLockExclusive(&exit_lock);
  free(exit_fns);
  exit_fns = 0;
  exit_capacity = 0;
  ReleaseSRWLockExclusive(&exit_lock);
}
