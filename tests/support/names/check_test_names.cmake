# Fails when a test program's case names cannot name a test from one build
# to the next: run as `cmake -DPROGRAMS_FILE=<file> -P check_test_names.cmake`,
# where the file lists one GoogleTest program a line. Each program lists its
# tests twice; the check fails when the two lists differ, when a name holds
# anything but letters, digits, '_', '/' and '.', when a case is named by
# its bare index ("Suite.Test/3"), or when a name or the parameter gtest
# prints beside it holds the bytes of an object ("4-byte object
# <00-00 00-00>") or an address.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED PROGRAMS_FILE)
  message(FATAL_ERROR "PROGRAMS_FILE is not set")
endif()
file(STRINGS "${PROGRAMS_FILE}" programs)
if(programs STREQUAL "")
  message(FATAL_ERROR "no test programs listed in ${PROGRAMS_FILE}")
endif()

string(REPEAT "[0-9A-Fa-f]" 8 hexDigits)
set(unstable "-byte object|0x${hexDigits}")

# Lists the tests of `program` into `out`, failing the check when it cannot.
function(list_tests program out)
  execute_process(COMMAND "${program}" --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 60)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} --gtest_list_tests failed (${status}):\n${errors}")
  endif()
  set(${out} "${listing}" PARENT_SCOPE)
endfunction()

set(failures 0)
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  list_tests("${program}" first)
  list_tests("${program}" second)
  if(NOT first STREQUAL second)
    message(SEND_ERROR "${name}: the test list differs between two runs")
    math(EXPR failures "${failures} + 1")
  endif()
  # One list entry a line: brackets and semicolons of printed parameters
  # would otherwise join or split lines.
  string(REPLACE "[" "(" first "${first}")
  string(REPLACE "]" ")" first "${first}")
  string(REPLACE ";" "," first "${first}")
  string(REPLACE "\n" ";" lines "${first}")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    # "Suite." or "  Test/Case", then gtest's "  # GetParam() = ..." if any.
    string(REGEX MATCH "^ *[^ #]+" test "${line}")
    string(STRIP "${test}" test)
    if(test MATCHES "[^A-Za-z0-9_/.]" OR test MATCHES "/[0-9]+\\.?$" OR line MATCHES "${unstable}")
      message(SEND_ERROR "${name}: unreadable or unstable test name: ${line}")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH programs count)
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} test names or lists of ${count} programs cannot name a test from build to build")
endif()
message(STATUS "the test names of ${count} programs are readable and the same on every run")
