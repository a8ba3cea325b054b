# Cross-compiles the Windows 32-bit DLL and its tests for the Microsoft C++ ABI: clang for
# i686-pc-windows-msvc and lld-link, with no Microsoft headers or libraries. The C and Windows
# headers are mingw-w64's, the C++ library is libstdc++ built from Debian's gcc-12-source for this
# target, and the start-up code and import libraries are the project's own (cmake/msvc/,
# platform/msvc/). Tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORN_MSVC_ABI ON)

find_program(ORN_MSVC_CLANG NAMES clang-14 clang REQUIRED)
find_program(ORN_MSVC_CLANGXX NAMES clang++-14 clang++ REQUIRED)
set(CMAKE_C_COMPILER ${ORN_MSVC_CLANG})
set(CMAKE_CXX_COMPILER ${ORN_MSVC_CLANGXX})
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)
find_program(CMAKE_AR NAMES llvm-ar-14 llvm-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib-14 llvm-ranlib REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES llvm-rc-14 llvm-rc REQUIRED)
find_program(CMAKE_MT NAMES llvm-mt-14 llvm-mt)
find_program(ORN_MSVC_DLLTOOL NAMES llvm-dlltool-14 llvm-dlltool REQUIRED)

# Where the C++ library's headers and the C/Windows headers come from. The folder with this file
# is either the source tree's cmake/ or an installed package's lib/cmake/Orn/.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../platform/msvc/include/typeinfo)
  set(ORN_MSVC_OVERLAY ${CMAKE_CURRENT_LIST_DIR}/../platform/msvc/include)
else()
  set(ORN_MSVC_OVERLAY ${CMAKE_CURRENT_LIST_DIR}/msvc/include)
endif()
set(ORN_MSVC_GXX_INCLUDE /usr/lib/gcc/i686-w64-mingw32/12-posix/include/c++)
set(ORN_MSVC_MINGW_INCLUDE /usr/i686-w64-mingw32/include)

# -nostdinc++: libstdc++'s headers (mingw's configuration) stand in for the C++ library, with the
# project's <typeinfo> in front of them (the Microsoft type descriptor layout).
# -fgnuc-version: libstdc++ and mingw's headers expect a GNU compiler.
# -D__declspec=__declspec: mingw's _mingw.h then marks the C run-time's functions and data
# dllimport, as it does for gcc.
# -fsized-deallocation: the sized operator delete that libstdc++ declares and calls.
# _GLIBCXX_GTHREAD_USE_WEAK=0: libwinpthread's functions are called directly (COFF weak
# references would be definitions in every object).
set(_orn_msvc_flags "-nostdinc++ -isystem ${ORN_MSVC_OVERLAY} -isystem ${ORN_MSVC_GXX_INCLUDE} \
-isystem ${ORN_MSVC_GXX_INCLUDE}/i686-w64-mingw32 -isystem ${ORN_MSVC_GXX_INCLUDE}/backward \
-isystem ${ORN_MSVC_MINGW_INCLUDE} -fgnuc-version=4.2.1 -D_X86_ -D__declspec=__declspec \
-fsized-deallocation -D_GLIBCXX_GTHREAD_USE_WEAK=0")
set(CMAKE_C_FLAGS_INIT "-fgnuc-version=4.2.1 -D_X86_ -D__declspec=__declspec \
-isystem ${ORN_MSVC_MINGW_INCLUDE}")
set(CMAKE_CXX_FLAGS_INIT "${_orn_msvc_flags}")
# No Microsoft libraries: the objects' default-library requests are ignored; every image gets the
# project's start-up, C++ library and import libraries (cmake/msvc/OrnMsvcRuntime.cmake). No
# /safeseh: libwinpthread's objects (gcc-built) carry no SafeSEH marker, and an image without a
# handler table lets the loader dispatch to any handler, msvcrt.dll's C++ frame handler among them.
# /ignore:4217: the C run-time functions the project defines itself (platform/msvc/) are declared
# dllimport by mingw's headers. /include:__tls_used: every image has a TLS directory, so that
# libwinpthread's thread-exit callback runs in each.
set(_orn_msvc_link "-Wno-unused-command-line-argument -Xlinker /nodefaultlib -Xlinker /safeseh:no \
-Xlinker /ignore:4217 -Xlinker /errorlimit:0 -Xlinker /include:__tls_used")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_orn_msvc_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_orn_msvc_link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_orn_msvc_link}")
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")
set(CMAKE_MSVC_RUNTIME_LIBRARY "")
# The compiler checks compile only: linking needs the start-up code the project builds.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
endif()
