# orn_add_component(NAME SOURCES ...): builds a component module that exports only EntryPoint.
function(orn_add_component name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    set(ARG_SOURCES ${ARG_UNPARSED_ARGUMENTS})
  endif()
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(TARGET Orn::framework)
    target_link_libraries(${name} PRIVATE Orn::framework)
  else()
    target_link_libraries(${name} PRIVATE orn_framework)
  endif()
  if(NOT WIN32)
    target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
    # clang links its sanitizer runtimes into executables only: a sanitized module leaves those
    # symbols to the host that loads it.
    if(NOT (ORN_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
      target_link_options(${name} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
endfunction()
