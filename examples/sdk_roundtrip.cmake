# Installs the framework from a build tree and uses the package the way a plug-in author does:
#  - the umbrella headers <orn/module.h>, <orn/host.h>, <orn/testhost.h> and <orn/orn.h> and
#    everything they include are installed, and nothing else is; what module.h includes reaches
#    nothing of host/ or testhost/;
#  - the example plug-in, its own host (Orn::host) and, natively, its unit tests (Orn::testhost)
#    build against the package; the plug-in's objects, as the compiler saw them, read no header of
#    host/ or testhost/; `orn-host check` passes on the installed plug-in, `inspect --json` names
#    it, its class and its own build stamp, and the example host greets through it;
#  - the samples of docs/plugin-authors.md (its first cmake block and its cpp blocks) build into a
#    module that reads no host header, passes `orn-host check`, shows its class with both
#    interfaces and, built with SOURCE_DATE_EPOCH set, the build stamp of that time.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... [-DTOOLCHAIN=...] [-DEMULATOR=...] [-DEXE_SUFFIX=.exe]
#         [-DPATH_PREFIX=Z:] -P sdk_roundtrip.cmake
# Works in a fresh directory under the system's temp directory and removes it when all passed.
cmake_minimum_required(VERSION 3.25)
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

# ---- Installed headers: the umbrellas and their closure over quoted includes and <orn/...>
# includes must all be there, and no other header may be (test-only, command or implementation
# headers outside that closure).
set(include_root "${prefix}/include/orn")
# The headers reached from the given ones, themselves included, in out_var.
function(header_closure out_var)
  set(reached ${ARGN})
  set(pending ${ARGN})
  while(pending)
    list(POP_FRONT pending header)
    if(NOT EXISTS "${include_root}/${header}")
      message(FATAL_ERROR "sdk_roundtrip: ${header} is included by the public headers but not installed")
    endif()
    file(STRINGS "${include_root}/${header}" lines
         REGEX "^[ \t]*#[ \t]*include[ \t]+(\"|<orn/)")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+(\"|<orn/)([^\">]+)[\">].*" "\\2"
             included "${line}")
      if(NOT included IN_LIST reached)
        list(APPEND reached "${included}")
        list(APPEND pending "${included}")
      endif()
    endforeach()
  endwhile()
  set(${out_var} ${reached} PARENT_SCOPE)
endfunction()
header_closure(reached orn.h module.h host.h testhost.h)
file(GLOB_RECURSE installed RELATIVE "${include_root}" "${include_root}/*")
set(test_only "")
set(private "")
foreach(header IN LISTS installed)
  if(header MATCHES "(_test|_test_support|_bench)\\.h$|^orn-host/")
    list(APPEND test_only "${header}")
  elseif(NOT header IN_LIST reached)
    list(APPEND private "${header}")
  endif()
endforeach()
if(test_only)
  message(FATAL_ERROR "sdk_roundtrip: test-only or command headers installed: ${test_only}")
endif()
if(private)
  message(FATAL_ERROR "sdk_roundtrip: installed although no umbrella header reaches them: ${private}")
endif()
header_closure(module_headers module.h)
list(FILTER module_headers INCLUDE REGEX "^(host|testhost)/")
if(module_headers)
  message(FATAL_ERROR "sdk_roundtrip: <orn/module.h> reaches host headers: ${module_headers}")
endif()
list(LENGTH reached reached_count)
message(STATUS "sdk_roundtrip: ${reached_count} public headers installed, each reached from an umbrella")

# ---- Building a project against the package.
set(host "${prefix}/bin/orn-host${EXE_SUFFIX}")
# Configures and builds source_dir in ${work}/<name>-build; further arguments (VAR=value) go
# into the build's environment.
function(build_against_package name source_dir)
  set(args -S "${source_dir}" -B "${work}/${name}-build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
      -DOrn_DIR=${prefix}/lib/cmake/Orn)
  if(TOOLCHAIN)
    list(APPEND args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  endif()
  run("configuring ${name}" ${CMAKE_COMMAND} ${args})
  run("building ${name}" ${CMAKE_COMMAND} -E env ${ARGN} --
      ${CMAKE_COMMAND} --build "${work}/${name}-build")
endfunction()

# The headers the compiler read for the objects of target, as ninja recorded them, may include
# <orn/module.h> but nothing of host/ or testhost/.
find_program(ORN_NINJA NAMES ninja ninja-build REQUIRED)
function(expect_module_headers_only name target)
  run("reading what ${target} included" ${ORN_NINJA} -C "${work}/${name}-build" -t deps)
  string(REPLACE "\n" ";" lines "${last_output}")
  set(in_target FALSE)
  set(saw_module_h FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[^ ].*: #deps")
      string(FIND "${line}" "CMakeFiles/${target}.dir/" at)
      if(at LESS 0)
        set(in_target FALSE)
      else()
        set(in_target TRUE)
      endif()
    elseif(in_target AND line MATCHES "/include/orn/module\\.h$")
      set(saw_module_h TRUE)
    elseif(in_target AND line MATCHES "/include/orn/(host|testhost)/")
      string(STRIP "${line}" line)
      message(FATAL_ERROR "sdk_roundtrip: ${target} was compiled with ${line}")
    endif()
  endforeach()
  if(NOT saw_module_h)
    message(FATAL_ERROR "sdk_roundtrip: no object of ${target} read <orn/module.h>\n${last_output}")
  endif()
endfunction()

# The build stamp that inspect --json shows ("YYYY-MM-DD HH:MM"), in out_var.
function(build_stamp_of module out_var)
  run("orn-host inspect ${module}" ${EMULATOR} "${host}" inspect --json "${PATH_PREFIX}${module}")
  string(JSON stamp GET "${last_output}" buildStamp)
  if(NOT stamp MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]$")
    message(FATAL_ERROR "sdk_roundtrip: ${module} has the build stamp '${stamp}'")
  endif()
  set(${out_var} "${stamp}" PARENT_SCOPE)
endfunction()

function(expect_check_passes module)
  run("orn-host check ${module}" ${EMULATOR} "${host}" check "${PATH_PREFIX}${module}")
  message(STATUS "${last_output}")
  if(NOT last_output MATCHES "0 failed, 0 skipped")
    message(FATAL_ERROR "sdk_roundtrip: unexpected check output for ${module}")
  endif()
endfunction()

# ---- The example: module, host, unit tests.
build_against_package(example "${SOURCE_DIR}/examples/hello_component")
expect_module_headers_only(example hello_component)
run("installing the example" ${CMAKE_COMMAND} --install "${work}/example-build"
    --prefix "${work}/plugin")
file(GLOB plugin "${work}/plugin/bin/hello_component*")
if(NOT plugin)
  message(FATAL_ERROR "sdk_roundtrip: the example was not installed")
endif()
expect_check_passes("${plugin}")
run("orn-host inspect" ${EMULATOR} "${host}" inspect --json "${PATH_PREFIX}${plugin}")
string(JSON name GET "${last_output}" name)
string(JSON class GET "${last_output}" classes 0 name)
if(NOT name STREQUAL "hello_component" OR NOT class STREQUAL "HelloGreeter")
  message(FATAL_ERROR "sdk_roundtrip: inspect says ${name}/${class}\n${last_output}")
endif()
# Its own stamp: the time its build wrote into it, not the template's.
build_stamp_of("${plugin}" stamp)
file(STRINGS "${work}/example-build/hello_component_build_stamp.cpp" written REGEX "\"${stamp}\"")
if(NOT written OR stamp STREQUAL "2010-12-16 11:42")
  message(FATAL_ERROR "sdk_roundtrip: the example shows the build stamp ${stamp}, not its own")
endif()
run("the example's host" ${EMULATOR} "${work}/plugin/bin/hello_host${EXE_SUFFIX}"
    "${PATH_PREFIX}${plugin}" Ada)
if(NOT last_output MATCHES "^Hello, Ada!")
  message(FATAL_ERROR "sdk_roundtrip: the example's host printed '${last_output}'")
endif()
if(NOT TOOLCHAIN)
  # The example's own tests: orn-host check and, with GoogleTest installed, its unit tests.
  run("the example's ctest" ${CMAKE_CTEST_COMMAND} --test-dir "${work}/example-build"
      --output-on-failure)
  if(EXISTS "${work}/example-build/hello_greeter_test" AND NOT last_output MATCHES "HelloGreeter\\.")
    message(FATAL_ERROR "sdk_roundtrip: the example's unit tests did not run\n${last_output}")
  endif()
endif()

# ---- The plug-in authors' guide: its first cmake block is the CMakeLists.txt, its cpp blocks
# together are my_component.cpp.
set(guide "${SOURCE_DIR}/docs/plugin-authors.md")
file(READ "${guide}" guide_text)
set(cmake_block "")
set(cpp_blocks "")
set(rest "${guide_text}")
while(TRUE)
  string(REGEX MATCH "\n( *)```(cmake|cpp)\n" opening "${rest}")
  if(NOT opening)
    break()
  endif()
  set(indent "${CMAKE_MATCH_1}")
  set(lang "${CMAKE_MATCH_2}")
  string(FIND "${rest}" "${opening}" at)
  string(LENGTH "${opening}" opening_length)
  math(EXPR body_start "${at} + ${opening_length}")
  string(SUBSTRING "${rest}" ${body_start} -1 rest)
  string(FIND "${rest}" "\n${indent}```" stop)
  if(stop LESS 0)
    message(FATAL_ERROR "sdk_roundtrip: a ${lang} block of ${guide} is not closed")
  endif()
  string(SUBSTRING "${rest}" 0 ${stop} body)
  string(SUBSTRING "${rest}" ${stop} -1 rest)
  if(indent)
    string(REGEX REPLACE "(^|\n)${indent}" "\\1" body "${body}")
  endif()
  if(lang STREQUAL "cmake" AND cmake_block STREQUAL "")
    set(cmake_block "${body}\n")
  elseif(lang STREQUAL "cpp")
    string(APPEND cpp_blocks "${body}\n")
  endif()
endwhile()
if(cmake_block STREQUAL "" OR NOT cpp_blocks MATCHES "ORN_DEFINE_COMPONENT"
   OR NOT cpp_blocks MATCHES "ORN_REGISTER_CLASS")
  message(FATAL_ERROR "sdk_roundtrip: ${guide} lost its CMakeLists.txt or component samples")
endif()
file(WRITE "${work}/guide/CMakeLists.txt" "${cmake_block}")
file(WRITE "${work}/guide/my_component.cpp" "${cpp_blocks}")
# Built as a reproducible build is: the stamp is the time SOURCE_DATE_EPOCH names.
build_against_package(guide "${work}/guide" SOURCE_DATE_EPOCH=1700000000)
expect_module_headers_only(guide my_component)
file(GLOB guide_module "${work}/guide-build/my_component.so" "${work}/guide-build/my_component.dll")
if(NOT guide_module)
  message(FATAL_ERROR "sdk_roundtrip: the guide's module was not built")
endif()
expect_check_passes("${guide_module}")
run("orn-host inspect of the guide's module" ${EMULATOR} "${host}" inspect --json
    "${PATH_PREFIX}${guide_module}")
string(JSON name GET "${last_output}" name)
string(JSON class GET "${last_output}" classes 0 name)
string(JSON interfaces GET "${last_output}" classes 0 interfaces)
string(JSON stamp GET "${last_output}" buildStamp)
string(REGEX REPLACE "[ \n]" "" interfaces "${interfaces}")
if(NOT "${name}/${class}${interfaces}" STREQUAL "my_component/Greeter[\"IGreeter\",\"IFarewell\"]")
  message(FATAL_ERROR "sdk_roundtrip: the guide's module inspects as ${name}/${class}${interfaces}")
endif()
if(NOT stamp STREQUAL "2023-11-14 22:13")
  message(FATAL_ERROR "sdk_roundtrip: built at SOURCE_DATE_EPOCH 1700000000, the guide's module "
                      "shows the build stamp '${stamp}'")
endif()

file(REMOVE_RECURSE "${work}")
message(STATUS "sdk_roundtrip: the example and the guide's samples, built against the installed "
               "package, read <orn/module.h> alone, pass check and show their own build stamps")
