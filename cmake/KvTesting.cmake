# GoogleTest for both builds. Natively Debian's packaged libraries; for win32
# the same sources (Debian's googletest package) built with the cross
# compiler. Each test program writes a JUnit report that the summary reads.
if(KV_WIN32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(kv_gtest INTERFACE)
  target_link_libraries(kv_gtest INTERFACE gtest)
else()
  find_package(GTest REQUIRED)
  add_library(kv_gtest INTERFACE)
  target_link_libraries(kv_gtest INTERFACE GTest::gtest)
endif()

set(KV_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)

# kv_test(NAME SOURCES... LIBS lib...): a GoogleTest program registered with
# CTest under NAME. Its own main() comes from tests/support/test_main.cpp.
function(kv_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS} ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} kv_gtest)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/support)
  target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
  add_test(NAME ${name}
           COMMAND ${name} --gtest_output=xml:${KV_TEST_RESULTS}/${name}.xml)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KV_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()
