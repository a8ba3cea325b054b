# The functions the folders of this source tree build with (not installed).
#
# orn_add_test(NAME SOURCES...): a GoogleTest executable; every test runs in a process of its own,
#   so each starts from fresh module-globals. Nothing when the tests are not built.
# orn_public_headers(TARGET HEADERS...): the folder's headers that the umbrella headers
#   (include/orn/module.h, host.h, testhost.h) reach, installed with TARGET under
#   include/orn/<folder>/. The SDK round trip fails when one is missing here or when one that no
#   umbrella reaches is listed.
# orn_umbrella_headers(TARGET HEADERS...): umbrella headers of include/orn/ that go with TARGET,
#   installed under include/orn/ with it.
# orn_framework_folder([HEADERS...] [SOURCES...] [OWN_TESTS...]): a folder of orn_framework: every
#   .cpp of it but x_test.cpp, and SOURCES, are compiled into the framework, HEADERS are its public
#   headers, and its x_test.cpp files make the test executable <folder>_tests. Each of OWN_TESTS
#   (x_test.cpp) is an executable x_tests of its own instead: for tests whose static objects
#   would change what the others see (classes registered at namespace scope fill the one registry).

function(orn_add_test name)
  if(NOT ORN_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE orn_testhost orn_framework GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    ORN_MODULE_FILE="$<TARGET_FILE_NAME:component_template>")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 120)
endfunction()

function(orn_public_headers target)
  set(files "")
  foreach(header IN LISTS ARGN)
    list(APPEND files ${CMAKE_CURRENT_SOURCE_DIR}/${header})
  endforeach()
  target_sources(${target} PUBLIC FILE_SET HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR} FILES ${files})
endfunction()

function(orn_umbrella_headers target)
  list(TRANSFORM ARGN PREPEND ${PROJECT_SOURCE_DIR}/include/orn/ OUTPUT_VARIABLE files)
  target_sources(${target} PUBLIC FILE_SET umbrella TYPE HEADERS
    BASE_DIRS ${PROJECT_SOURCE_DIR}/include FILES ${files})
endfunction()

function(orn_framework_folder)
  cmake_parse_arguments(ARG "" "" "HEADERS;SOURCES;OWN_TESTS" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB sources CONFIGURE_DEPENDS *.cpp)
  list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
  target_sources(orn_framework PRIVATE ${sources} ${ARG_SOURCES})
  if(ARG_HEADERS)
    orn_public_headers(orn_framework ${ARG_HEADERS})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS *_test.cpp)
  foreach(own IN LISTS ARG_OWN_TESTS)
    list(REMOVE_ITEM tests ${CMAKE_CURRENT_SOURCE_DIR}/${own})
    get_filename_component(stem ${own} NAME_WE)
    orn_add_test(${stem}s ${own})
  endforeach()
  if(tests)
    orn_add_test(${folder}_tests ${tests})
  endif()
endfunction()
