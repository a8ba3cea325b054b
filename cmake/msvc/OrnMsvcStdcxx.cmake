# libstdc++ for the Microsoft C++ ABI target, built from Debian's gcc-12-source (the tarball under
# /usr/src/gcc-12) with clang for i686-pc-windows-msvc, against the configured headers of mingw's
# libstdc++ (generic locale model, mingw32-w64 OS files, posix threads over libwinpthread). The
# Itanium-specific parts of libsupc++ (exception handling, type_info classes, guards) are left
# out; platform/msvc/ supplies their Microsoft-ABI counterparts. Extracted and built once in the
# build tree: a rebuild does neither again.
file(GLOB _orn_gcc_tarballs /usr/src/gcc-12/gcc-*.tar.xz)
list(FILTER _orn_gcc_tarballs EXCLUDE REGEX "gm2")
if(NOT _orn_gcc_tarballs)
  message(FATAL_ERROR "the gcc-12 source tarball is missing: install gcc-12-source (tools/install-deps)")
endif()
list(GET _orn_gcc_tarballs 0 _orn_gcc_tarball)
get_filename_component(_orn_gcc_top ${_orn_gcc_tarball} NAME)
string(REGEX REPLACE "-dfsg\\.tar\\.xz$|\\.tar\\.xz$" "" _orn_gcc_top ${_orn_gcc_top})
set(ORN_STDCXX_SOURCE_ROOT ${CMAKE_BINARY_DIR}/gcc-source)
set(_orn_stdcxx_dir ${ORN_STDCXX_SOURCE_ROOT}/${_orn_gcc_top}/libstdc++-v3)
if(NOT EXISTS ${ORN_STDCXX_SOURCE_ROOT}/extracted.stamp)
  message(STATUS "Extracting libstdc++ sources from ${_orn_gcc_tarball}")
  file(MAKE_DIRECTORY ${ORN_STDCXX_SOURCE_ROOT})
  execute_process(COMMAND tar -xJf ${_orn_gcc_tarball} --wildcards
      "${_orn_gcc_top}/libstdc++-v3/src/*" "${_orn_gcc_top}/libstdc++-v3/config/*"
      "${_orn_gcc_top}/libstdc++-v3/libsupc++/*"
    WORKING_DIRECTORY ${ORN_STDCXX_SOURCE_ROOT} RESULT_VARIABLE _orn_rc)
  if(NOT _orn_rc EQUAL 0)
    message(FATAL_ERROR "cannot extract libstdc++ from ${_orn_gcc_tarball}")
  endif()
  file(TOUCH ${ORN_STDCXX_SOURCE_ROOT}/extracted.stamp)
endif()

set(_s ${_orn_stdcxx_dir}/src)
set(_cfg ${_orn_stdcxx_dir}/config)
# The lists of libstdc++'s own src/*/Makefile.am (less the compatibility-* files of older
# releases' symbol versions, and debug.cc of the checked debug mode; c++98/compatibility.cc
# defines the istream::ignore specialisations for a library without symbol versions), with the configured host
# files at their source paths.
set(_orn_stdcxx98 bitmap_allocator pool_allocator mt_allocator codecvt complex_io
    hash_tr1 hashtable_tr1 ios_failure ios_init ios_locale list list-aux list-aux-2
    list_associated list_associated-2 locale locale_facets math_stubs_float
    math_stubs_long_double stdexcept strstream tree istream istream-string streambuf valarray
    cow-istream-string allocator-inst concept-inst ext-inst misc-inst compatibility)
list(TRANSFORM _orn_stdcxx98 PREPEND ${_s}/c++98/)
list(TRANSFORM _orn_stdcxx98 APPEND .cc)
list(APPEND _orn_stdcxx98 ${_cfg}/locale/generic/codecvt_members.cc
  ${_cfg}/locale/generic/collate_members.cc ${_cfg}/locale/generic/messages_members.cc
  ${_cfg}/locale/generic/monetary_members.cc ${_cfg}/locale/generic/numeric_members.cc
  ${_cfg}/locale/generic/time_members.cc ${_cfg}/io/basic_file_stdio.cc
  ${_cfg}/locale/generic/c_locale.cc)
# Two c++98 files are C++11 code.
set(_orn_stdcxx98_as11 ${_s}/c++98/locale_init.cc ${_s}/c++98/localename.cc)
set(_orn_stdcxx11 chrono codecvt condition_variable cow-stdexcept ctype functexcept
    functional futex future hash_c++0x hashtable_c++0x ios limits mutex placeholders random
    regex shared_ptr snprintf_lite system_error thread cow-locale_init cow-shim_facets
    cxx11-hash_tr1 cxx11-ios_failure cxx11-shim_facets cxx11-stdexcept cow-fstream-inst
    cow-sstream-inst cow-string-inst cow-string-io-inst cow-wstring-inst cow-wstring-io-inst
    cxx11-locale-inst cxx11-wlocale-inst sso_string ext11-inst fstream-inst ios-inst iostream-inst
    istream-inst locale-inst ostream-inst sstream-inst streambuf-inst string-inst
    string-io-inst wlocale-inst wstring-inst wstring-io-inst)
list(TRANSFORM _orn_stdcxx11 PREPEND ${_s}/c++11/)
list(TRANSFORM _orn_stdcxx11 APPEND .cc)
list(APPEND _orn_stdcxx11 ${_cfg}/os/mingw32-w64/ctype_configure_char.cc
  ${_cfg}/locale/generic/ctype_members.cc
  # In place of c++98/globals_io.cc: the stream objects under their Microsoft-ABI symbols.
  ${PROJECT_SOURCE_DIR}/platform/msvc/stdcxx/globals_io.cc)
set(_orn_stdcxx17 floating_from_chars floating_to_chars fs_dir fs_ops fs_path memory_resource
    cow-fs_dir cow-fs_ops cow-fs_path cow-string-inst ostream-inst string-inst)
list(TRANSFORM _orn_stdcxx17 PREPEND ${_s}/c++17/)
list(TRANSFORM _orn_stdcxx17 APPEND .cc)
set(_orn_stdcxx20 ${_s}/c++20/sstream-inst.cc)
# libsupc++: operator new/delete, the new handler, the exception classes, the hash of names.
set(_orn_supcxx hash_bytes new_handler new_op new_opnt new_opv new_opvnt new_opa new_opant
    new_opva new_opvant del_op del_ops del_opv del_opvs del_opnt del_opvnt del_opa del_opant
    del_opsa del_opva del_opvant del_opvsa bad_alloc bad_array_length bad_array_new
    eh_exception nested_exception)
list(TRANSFORM _orn_supcxx PREPEND ${_orn_stdcxx_dir}/libsupc++/)
list(TRANSFORM _orn_supcxx APPEND .cc)

# One object library a language level, as libstdc++'s own build compiles each folder.
function(_orn_stdcxx_objects name standard)
  add_library(${name} OBJECT ${ARGN})
  set_target_properties(${name} PROPERTIES CXX_EXTENSIONS ON CXX_VISIBILITY_PRESET default
    VISIBILITY_INLINES_HIDDEN OFF)
  set_property(TARGET ${name} PROPERTY CXX_STANDARD)
  target_include_directories(${name} SYSTEM PRIVATE ${PROJECT_SOURCE_DIR}/platform/msvc/stdcxx
    ${_orn_stdcxx_dir}/libsupc++ ${_cfg}/locale/generic ${_cfg}/os/mingw32-w64 ${_cfg}/io)
  # The level by hand: CMake would raise one below the compiler's default to that default.
  target_compile_options(${name} PRIVATE -std=gnu++${standard} -O1 -w
    "SHELL:-include ${PROJECT_SOURCE_DIR}/platform/msvc/stdcxx/build_fixes.h")
endfunction()
_orn_stdcxx_objects(orn_msvc_stdcxx98 98 ${_orn_stdcxx98})
target_include_directories(orn_msvc_stdcxx98 PRIVATE ${_s}/c++98)
# The generic facets once more for the old (copy-on-write) string ABI that the dual-ABI locale
# also registers.
_orn_stdcxx_objects(orn_msvc_stdcxx98cow 98 ${_cfg}/locale/generic/collate_members.cc
  ${_cfg}/locale/generic/messages_members.cc ${_cfg}/locale/generic/monetary_members.cc
  ${_cfg}/locale/generic/numeric_members.cc)
target_include_directories(orn_msvc_stdcxx98cow PRIVATE ${_s}/c++98)
target_compile_definitions(orn_msvc_stdcxx98cow PRIVATE _GLIBCXX_USE_CXX11_ABI=0)
_orn_stdcxx_objects(orn_msvc_stdcxx11 11 ${_orn_stdcxx11} ${_orn_stdcxx98_as11})
target_include_directories(orn_msvc_stdcxx11 PRIVATE ${_s}/c++11 ${_s}/c++98)
set_source_files_properties(${_orn_stdcxx98_as11} ${_s}/c++11/codecvt.cc ${_s}/c++11/limits.cc
  PROPERTIES COMPILE_OPTIONS -fchar8_t)
set_property(SOURCE ${_s}/c++98/locale_init.cc APPEND PROPERTY COMPILE_OPTIONS
  -include${PROJECT_SOURCE_DIR}/platform/msvc/stdcxx/locale_init_ids.h)
set_property(SOURCE ${_s}/c++17/fs_dir.cc APPEND PROPERTY COMPILE_OPTIONS
  -include${PROJECT_SOURCE_DIR}/platform/msvc/stdcxx/fs_dir_names.h)
_orn_stdcxx_objects(orn_msvc_stdcxx17 17 ${_orn_stdcxx17} ${_orn_supcxx})
target_include_directories(orn_msvc_stdcxx17 PRIVATE ${_s}/c++17)
_orn_stdcxx_objects(orn_msvc_stdcxx20 20 ${_orn_stdcxx20})
# The dual-ABI ios_failure relies on Itanium type_info internals; without RTTI it is the plain
# ios_base::failure that is thrown and caught.
set_source_files_properties(${_s}/c++98/ios_failure.cc ${_s}/c++11/cxx11-ios_failure.cc
  PROPERTIES COMPILE_OPTIONS -fno-rtti)

add_library(orn_msvc_stdcxx STATIC $<TARGET_OBJECTS:orn_msvc_stdcxx98>
  $<TARGET_OBJECTS:orn_msvc_stdcxx98cow>  $<TARGET_OBJECTS:orn_msvc_stdcxx11> $<TARGET_OBJECTS:orn_msvc_stdcxx17>
  $<TARGET_OBJECTS:orn_msvc_stdcxx20>)
set_target_properties(orn_msvc_stdcxx PROPERTIES LINKER_LANGUAGE CXX)
unset(_s)
unset(_cfg)
