# vivivi_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2): one GoogleTest binary,
# each case registered with ctest.
find_package(GTest REQUIRED)
include(GoogleTest)

function(vivivi_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vivivi_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(T_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
