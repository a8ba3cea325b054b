# orn_add_component(NAME SOURCES ...): builds a component module that exports only EntryPoint.
# A component whose ORN_DEFINE_COMPONENT names no build stamp reports the time the module was
# built: each build writes NAME_build_stamp.cpp (cmake/OrnBuildStamp.cmake) into the module.
set(ORN_BUILD_STAMP_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/OrnBuildStamp.cmake)

function(orn_add_component name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    set(ARG_SOURCES ${ARG_UNPARSED_ARGUMENTS})
  endif()
  set(stamp_source ${CMAKE_CURRENT_BINARY_DIR}/${name}_build_stamp.cpp)
  add_custom_target(${name}_build_stamp
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${stamp_source} -P ${ORN_BUILD_STAMP_SCRIPT}
    BYPRODUCTS ${stamp_source} COMMENT "Build stamp of ${name}" VERBATIM)
  add_library(${name} MODULE ${ARG_SOURCES} ${stamp_source})
  add_dependencies(${name} ${name}_build_stamp)
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
