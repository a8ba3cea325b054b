# Runs orn-host on the module that tests/mapped_component.cpp builds: `check` passes every rule,
# and `inspect --json` shows the module's own build stamp (the one its build wrote, not the
# template's) and its class with both interfaces of its map, in order. Run with cmake -P:
#   -DHOST=orn-host -DMODULE=... -DSTAMP_SOURCE=<module>_build_stamp.cpp
#   [-DEMULATOR=...] [-DPATH_PREFIX=Z:]
function(run_host)
  execute_process(COMMAND ${EMULATOR} ${HOST} ${ARGN} ${PATH_PREFIX}${MODULE}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orn-host ${ARGN} exited with ${status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run_host(check)
if(NOT out MATCHES " 0 failed, 0 skipped")
  message(FATAL_ERROR "orn-host check did not pass every rule\n${out}")
endif()

run_host(inspect --json)
file(STRINGS "${STAMP_SOURCE}" stamp_line REGEX "moduleBuildTime = \"")
string(REGEX REPLACE ".*moduleBuildTime = \"([^\"]*)\".*" "\\1" built "${stamp_line}")
string(JSON stamp GET "${out}" buildStamp)
if(NOT stamp MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]$"
   OR NOT stamp STREQUAL built OR stamp STREQUAL "2010-12-16 11:42")
  message(FATAL_ERROR "inspect shows build stamp '${stamp}', the build wrote '${built}'")
endif()
string(JSON class GET "${out}" classes 0 name)
string(JSON first GET "${out}" classes 0 interfaces 0)
string(JSON second GET "${out}" classes 0 interfaces 1)
string(JSON count LENGTH "${out}" classes 0 interfaces)
if(NOT "${class}:${first},${second}:${count}" STREQUAL "NamedCounter:ICounter,INamed:2")
  message(FATAL_ERROR "inspect shows ${class} with ${count} interfaces ${first}, ${second}\n${out}")
endif()
message(STATUS "checked; build stamp ${stamp}; ${class}: ${first}, ${second}")
