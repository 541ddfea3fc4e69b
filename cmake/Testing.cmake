# vivivi_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [DEFINITIONS ...]
#             [LOCK resource] [THREADED]): one GoogleTest binary, each case
# registered with ctest. Tests that name the same LOCK never run at the same
# time (the MIDI port tests share "jack_midi_ports", the window tests
# "x_display"). THREADED marks a binary whose code under test runs threads:
# its cases get the label "threaded" and the target joins threaded_tests, so
# that a ThreadSanitizer build builds and runs just those (tools/run-tests.sh).
# A test without the MIDI port lock that makes the editor still lists its
# MIDI ports: it is pointed at a JACK server that does not exist, so that it
# finds none at once and leaves the shared server to the port tests (slow
# sanitized clients opening and closing there stall every client of it).
set(VIVIVI_NO_PORTS_ENVIRONMENT "JACK_DEFAULT_SERVER=vivivi-tests-without-ports")
find_package(GTest REQUIRED)
include(GoogleTest)

set(VIVIVI_THREADED_LABEL threaded)

# Adds target to the targets that threaded_tests builds.
function(vivivi_threaded target)
  set_property(GLOBAL APPEND PROPERTY VIVIVI_THREADED_TARGETS ${target})
endfunction()

function(vivivi_test name)
  cmake_parse_arguments(T "THREADED" "LOCK" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vivivi_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(T_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
  endif()
  set(properties TIMEOUT 300)
  if(T_LOCK)
    list(APPEND properties RESOURCE_LOCK ${T_LOCK})
  endif()
  if(NOT T_LOCK STREQUAL "jack_midi_ports")
    list(APPEND properties ENVIRONMENT ${VIVIVI_NO_PORTS_ENVIRONMENT})
  endif()
  if(T_THREADED)
    list(APPEND properties LABELS ${VIVIVI_THREADED_LABEL})
    vivivi_threaded(${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
