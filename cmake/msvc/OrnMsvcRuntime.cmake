# The run-time of the Microsoft C++ ABI build (cmake/msvc-i686.cmake): import libraries for the
# system DLLs, made from the .def files beside this one; libstdc++ built for the target; the
# start-up code and C++ glue of platform/msvc/; libwinpthread (a C library) under std::thread.
# Every executable and DLL of the project gets them, once all targets are defined.
set(ORN_MSVC_IMPORT_DIR ${CMAKE_BINARY_DIR}/msvc-import)
file(MAKE_DIRECTORY ${ORN_MSVC_IMPORT_DIR})
set(ORN_MSVC_IMPORT_LIBS "")
file(GLOB _orn_msvc_defs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.def)
foreach(def ${_orn_msvc_defs})
  get_filename_component(dll ${def} NAME_WE)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  execute_process(COMMAND ${ORN_MSVC_DLLTOOL} -m i386 -k -d ${def} -l ${ORN_MSVC_IMPORT_DIR}/${dll}.lib
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "llvm-dlltool failed on ${def}: ${err}")
  endif()
  list(APPEND ORN_MSVC_IMPORT_LIBS ${ORN_MSVC_IMPORT_DIR}/${dll}.lib)
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/OrnMsvcStdcxx.cmake)

set(_orn_msvc_rt ${PROJECT_SOURCE_DIR}/platform/msvc)
add_library(orn_msvc_crt STATIC ${_orn_msvc_rt}/crt_sections.c ${_orn_msvc_rt}/exit_list.c
  ${_orn_msvc_rt}/startup_dll.c ${_orn_msvc_rt}/startup_exe.c ${_orn_msvc_rt}/default_dllmain.c
  ${_orn_msvc_rt}/thread_statics.c ${_orn_msvc_rt}/compat_shims.c
  ${_orn_msvc_rt}/posix_names.c ${_orn_msvc_rt}/dirent_win32.c
  ${_orn_msvc_rt}/cxx_runtime.cpp)
target_compile_options(orn_msvc_crt PRIVATE -O1)

# libwinpthread without gcc's DWARF sections, which lld-link would only warn about.
find_file(ORN_MSVC_MINGW_WINPTHREAD libwinpthread.a PATHS /usr/i686-w64-mingw32/lib
  NO_DEFAULT_PATH REQUIRED)
find_program(ORN_MSVC_OBJCOPY NAMES llvm-objcopy-14 llvm-objcopy REQUIRED)
set(ORN_MSVC_WINPTHREAD ${ORN_MSVC_IMPORT_DIR}/winpthread.lib)
if(NOT EXISTS ${ORN_MSVC_WINPTHREAD})
  execute_process(COMMAND ${ORN_MSVC_OBJCOPY} --strip-debug ${ORN_MSVC_MINGW_WINPTHREAD}
    ${ORN_MSVC_WINPTHREAD} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot copy ${ORN_MSVC_MINGW_WINPTHREAD}: ${err}")
  endif()
endif()
add_library(orn_msvc_runtime INTERFACE)
# The C++ library and the glue first: their atexit and operator new come before msvcrt.dll's.
target_link_libraries(orn_msvc_runtime INTERFACE orn_msvc_stdcxx orn_msvc_crt
  ${ORN_MSVC_WINPTHREAD} ${ORN_MSVC_IMPORT_LIBS})
# System libraries named by target_link_libraries (shell32 ...) are found here too.
link_directories(${ORN_MSVC_IMPORT_DIR})

function(_orn_msvc_link_runtime dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
      target_link_libraries(${target} PRIVATE orn_msvc_runtime)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    _orn_msvc_link_runtime(${subdir})
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _orn_msvc_link_runtime
  ${PROJECT_SOURCE_DIR})

# The package: the run-time beside the framework, the C++ headers the toolchain file puts first.
install(TARGETS orn_msvc_stdcxx orn_msvc_crt ARCHIVE DESTINATION lib/orn-msvc)
install(FILES ${ORN_MSVC_WINPTHREAD} DESTINATION lib/orn-msvc)
install(FILES ${ORN_MSVC_IMPORT_LIBS} DESTINATION lib/orn-msvc/import)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/msvc/include/ DESTINATION lib/cmake/Orn/msvc/include)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/OrnMsvcRuntimeImport.cmake DESTINATION lib/cmake/Orn)
