# GoogleTest, built from source with the same toolchain as the programs.
#
# korvane_add_test(<name> SOURCES ... [LIBS ...] [ARGS ...])
#   builds one test executable and registers it with CTest; under a cross
#   build CTest starts it through CMAKE_CROSSCOMPILING_EMULATOR (Wine).

set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(EXISTS "${GTEST_SOURCE_DIR}/CMakeLists.txt")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory("${GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  add_library(gtest_main ALIAS GTest::gtest_main)
  add_library(gmock ALIAS GTest::gmock)
endif()

function(korvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  korvane_project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  # A Wine start can be slow on a loaded machine; a hung test still ends.
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
