# Installs the framework from a build tree, builds the example plug-in against the installed
# package, installs it, and runs `orn-host check` and `orn-host inspect --json` on it.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... [-DTOOLCHAIN=...] [-DEMULATOR=...] [-DEXE_SUFFIX=.exe]
#         [-DPATH_PREFIX=Z:] -P sdk_roundtrip.cmake
# Works in a fresh directory under the system's temp directory and removes it when all passed.
foreach(var BUILD_DIR SOURCE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "sdk_roundtrip: ${var} is not set")
  endif()
endforeach()

if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(temp_root "$ENV{TMPDIR}")
else()
  set(temp_root "/tmp")
endif()
string(RANDOM LENGTH 8 ALPHABET 0123456789abcdef suffix)
set(work "${temp_root}/orn-sdk-${suffix}")
file(MAKE_DIRECTORY "${work}")
message(STATUS "sdk_roundtrip: working in ${work}")

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "sdk_roundtrip: ${step} failed (${rc})\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix "${work}/orn")
run("installing the framework" ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

set(configure_args -S "${SOURCE_DIR}/examples/hello_component" -B "${work}/build" -G Ninja
    -DCMAKE_BUILD_TYPE=Debug -DOrn_DIR=${prefix}/lib/cmake/Orn)
if(TOOLCHAIN)
  list(APPEND configure_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
run("configuring the example" ${CMAKE_COMMAND} ${configure_args})
run("building the example" ${CMAKE_COMMAND} --build "${work}/build")
run("installing the example" ${CMAKE_COMMAND} --install "${work}/build" --prefix "${work}/plugin")

file(GLOB plugin "${work}/plugin/bin/hello_component*")
if(NOT plugin)
  message(FATAL_ERROR "sdk_roundtrip: the example was not installed")
endif()
set(host "${prefix}/bin/orn-host${EXE_SUFFIX}")
run("orn-host check" ${EMULATOR} "${host}" check "${PATH_PREFIX}${plugin}")
message(STATUS "${last_output}")
if(NOT last_output MATCHES "0 failed, 0 skipped")
  message(FATAL_ERROR "sdk_roundtrip: unexpected check output")
endif()
run("orn-host inspect" ${EMULATOR} "${host}" inspect --json "${PATH_PREFIX}${plugin}")
string(JSON name GET "${last_output}" name)
string(JSON class GET "${last_output}" classes 0 name)
if(NOT name STREQUAL "hello_component" OR NOT class STREQUAL "HelloGreeter")
  message(FATAL_ERROR "sdk_roundtrip: inspect says ${name}/${class}\n${last_output}")
endif()
file(REMOVE_RECURSE "${work}")
message(STATUS "sdk_roundtrip: the example built against the installed package passes check")
