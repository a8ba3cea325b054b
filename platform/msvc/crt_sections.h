/* Image start-up shared by the DLL and the executable entry points. */
#ifndef ORN_PLATFORM_MSVC_CRT_SECTIONS_H
#define ORN_PLATFORM_MSVC_CRT_SECTIONS_H

typedef void(__cdecl* OrnVoidFn)(void);
typedef int(__cdecl* OrnInitFn)(void);

/* Runs the image's C and C++ initialisers in table order; 0 when a C initialiser failed. */
int orn_crt_run_initialisers(void);
/* Runs the image's exit list, last registered first, and empties it. */
void orn_crt_run_exit_list(void);

#endif
