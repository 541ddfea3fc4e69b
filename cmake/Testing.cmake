# vivivi_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [DEFINITIONS ...]
#             [LOCK resource]): one GoogleTest binary, each case registered
# with ctest. Tests that name the same LOCK never run at the same time (the
# MIDI port tests share "jack_midi_ports", the window tests "x_display").
find_package(GTest REQUIRED)
include(GoogleTest)

function(vivivi_test name)
  cmake_parse_arguments(T "" "LOCK" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vivivi_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(T_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
  endif()
  if(T_LOCK)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 RESOURCE_LOCK ${T_LOCK})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
