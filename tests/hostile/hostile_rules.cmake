# The two helpers every hostile case is written with.
if(CMAKE_CROSSCOMPILING)
  set(hostile_runner -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR} -DPATH_PREFIX=Z:)
endif()
set(hostile_module_names "")

# orn_hostile_module(NAME SOURCES...): builds the component hostile_NAME from SOURCES.
function(orn_hostile_module name)
  orn_add_component(hostile_${name} SOURCES ${ARGN})
  set(hostile_module_names ${hostile_module_names} ${name} PARENT_SCOPE)
endfunction()

# orn_hostile_run(TEST ARGS args... STATUS n [MODULE name] [TEXT texts...] [NO_TEXT texts...]
#                 [NO_LINE_START texts...] [JSON] [SAFE_TEXT] [PREPARE script] [VERIFY script]
#                 [TIMEOUT seconds])
# Adds the test Hostile.TEST: runs orn-host with ARGS, where {module} stands for the module
# hostile_NAME (or, with MODULE template, the component_template) and {scratch} for a fresh
# directory of the test's own; fails unless orn-host exits with STATUS, says every TEXT (stdout
# and stderr together), says no NO_TEXT, starts no line with a NO_LINE_START, with JSON prints
# one valid JSON object in UTF-8 on stdout, and with SAFE_TEXT prints only UTF-8 without control
# characters but the line ends. In ARGS, {xNN} stands for the byte of hexadecimal value NN.
# PREPARE is a cmake script run first, with MODULE and SCRATCH set (to make a truncated copy, a
# FIFO, a directory...); VERIFY one run afterwards, with the same variables, to look at what the
# run left behind. STATUS may name alternatives, "255|3". TIMEOUT (default 120) bounds the whole
# run.
function(orn_hostile_run test)
  cmake_parse_arguments(ARG "JSON;SAFE_TEXT" "STATUS;MODULE;PREPARE;VERIFY;TIMEOUT"
                        "ARGS;TEXT;NO_TEXT;NO_LINE_START" ${ARGN})
  if(NOT DEFINED ARG_STATUS)
    message(FATAL_ERROR "orn_hostile_run(${test}): STATUS is required")
  endif()
  set(module_file "")
  if(ARG_MODULE STREQUAL "template")
    set(module_file $<TARGET_FILE:component_template>)
  elseif(DEFINED ARG_MODULE)
    set(module_file $<TARGET_FILE:hostile_${ARG_MODULE}>)
  endif()
  if(NOT DEFINED ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  string(REPLACE ";" "|" args "${ARG_ARGS}")
  string(REPLACE ";" "|" texts "${ARG_TEXT}")
  string(REPLACE ";" "|" no_texts "${ARG_NO_TEXT}")
  string(REPLACE ";" "|" no_line_starts "${ARG_NO_LINE_START}")
  set(prepare "")
  if(DEFINED ARG_PREPARE)
    set(prepare -DPREPARE=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_PREPARE})
  endif()
  set(verify "")
  if(DEFINED ARG_VERIFY)
    set(verify -DVERIFY=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_VERIFY})
  endif()
  add_test(NAME Hostile.${test}
    COMMAND ${CMAKE_COMMAND} -DHOST=$<TARGET_FILE:orn-host> -DMODULE=${module_file}
            -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/scratch/${test} "-DARGS=${args}"
            -DEXPECT_STATUS=${ARG_STATUS} "-DEXPECT_TEXT=${texts}" "-DREJECT_TEXT=${no_texts}"
            "-DREJECT_LINE_START=${no_line_starts}" -DEXPECT_SAFE_TEXT=${ARG_SAFE_TEXT}
            -DEXPECT_JSON=${ARG_JSON} -DTIMEOUT=${ARG_TIMEOUT} ${prepare} ${verify} ${hostile_runner}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/run_host.cmake)
  set_tests_properties(Hostile.${test} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
