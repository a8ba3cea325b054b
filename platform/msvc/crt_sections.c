/* Bounds of the initialiser tables. The linker sorts the grouped sections .CRT$XIA..XIZ (C
   initialisers) and .CRT$XCA..XCZ (C++ dynamic initialisers, .CRT$XCU) by name, so every
   initialiser of the image lies between these markers. */
#include "crt_sections.h"

#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
__declspec(allocate(".CRT$XIA")) OrnInitFn __xi_a[] = {0};
__declspec(allocate(".CRT$XIZ")) OrnInitFn __xi_z[] = {0};
__declspec(allocate(".CRT$XCA")) OrnVoidFn __xc_a[] = {0};
__declspec(allocate(".CRT$XCZ")) OrnVoidFn __xc_z[] = {0};

/* Referenced by every object that uses floating point. */
int _fltused = 0x9875;

int orn_crt_run_initialisers(void) {
  for (OrnInitFn* p = __xi_a + 1; p < __xi_z; ++p) {
    if (*p && (*p)() != 0) return 0;
  }
  for (OrnVoidFn* p = __xc_a + 1; p < __xc_z; ++p) {
    if (*p) (*p)();
  }
  return 1;
}
