// Force-included into libstdc++'s own sources when they are built for the Microsoft ABI target.
// clang names gcc's rdseed builtin differently.
#define __builtin_ia32_rdseed_si_step __builtin_ia32_rdseed32_step
// <cxxabi.h> is libstdc++'s own here, not the program's (platform/msvc/include/cxxabi.h).
#define ORN_STDCXX_BUILD 1
