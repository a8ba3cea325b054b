# Installed with a Microsoft-ABI package (lib/cmake/Orn/): the run-time that every module and
# host built against the package links, from lib/orn-msvc/ (cmake/msvc/OrnMsvcRuntime.cmake
# builds it). Orn::framework hands it on.
get_filename_component(_orn_msvc_lib "${CMAKE_CURRENT_LIST_DIR}/../../orn-msvc" ABSOLUTE)
if(NOT TARGET Orn::msvc_runtime)
  add_library(Orn::msvc_runtime INTERFACE IMPORTED)
  file(GLOB _orn_msvc_import_libs "${_orn_msvc_lib}/import/*.lib")
  set_target_properties(Orn::msvc_runtime PROPERTIES
    INTERFACE_LINK_LIBRARIES "${_orn_msvc_lib}/orn_msvc_stdcxx.lib;${_orn_msvc_lib}/orn_msvc_crt.lib;${_orn_msvc_lib}/winpthread.lib;${_orn_msvc_import_libs}"
    INTERFACE_LINK_DIRECTORIES "${_orn_msvc_lib}/import")
endif()
unset(_orn_msvc_import_libs)
unset(_orn_msvc_lib)
