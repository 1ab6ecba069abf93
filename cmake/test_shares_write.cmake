# Writes the CTest entries of one GoogleTest program from its list of tests, run
# when the program is linked (see TestShares.cmake):
#   cmake -DPROGRAM=<file> -DNAME=<target> -DWORKING_DIRECTORY=<dir> -DSHARE_SIZE=<n>
#         -DSHARE_MS=<ms> -DALONE_MS=<ms> -DTIMES=<file> -DTIMEOUT=<s>
#         [-DLABELS=<l>] [-DENVIRONMENT=<e>] -DCTEST_FILE=<out> -DLIST_FILE=<out>
#         -P test_shares_write.cmake
# TIMES holds the measured times of the tests that take long ("<ms> <Suite.Test>" a
# line): a test of ALONE_MS or more is an entry by itself, a share holds at most
# SHARE_MS of them, and every entry's CTest cost is its measured time, so that a
# parallel run starts the longest first. A test not in TIMES counts as quick.
# CTEST_FILE gets one add_test per entry; LIST_FILE one line per entry, its name and
# its GoogleTest filter separated by a tab, which the coverage check reads.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/test_shares_list.cmake)

set(quick_ms 50)  # what a test without a measured time counts for
if(EXISTS "${TIMES}")
  file(STRINGS "${TIMES}" time_lines REGEX "^[0-9]+ ")
  foreach(line IN LISTS time_lines)
    string(REGEX MATCH "^([0-9]+) +([^ ]+)" ignored "${line}")
    set(ms_${CMAKE_MATCH_2} ${CMAKE_MATCH_1})
  endforeach()
endif()

ql_list_gtest_program("${PROGRAM}" "${WORKING_DIRECTORY}" suites)

set(ctest_text "")
set(list_text "")
function(ql_emit_entry name filter ms)
  math(EXPR seconds "${ms} / 1000")
  math(EXPR tenths "${ms} % 1000 / 100")
  string(APPEND ctest_text
    "add_test([==[${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${filter}]==])\n"
    "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==]"
    " TIMEOUT ${TIMEOUT} COST ${seconds}.${tenths} LABELS [==[${LABELS}]==] ENVIRONMENT [==[${ENVIRONMENT}]==])\n")
  string(APPEND list_text "${name}\t${filter}\n")
  set(ctest_text "${ctest_text}" PARENT_SCOPE)
  set(list_text "${list_text}" PARENT_SCOPE)
endfunction()

# A share is made of units: a whole suite ("Suite.*"), or a part of a suite named
# test by test. Units are gathered in the program's order while the share keeps
# within SHARE_SIZE tests and SHARE_MS.
set(share_labels "")
set(share_filters "")
set(share_count 0)
set(share_ms 0)
macro(ql_flush_share)
  if(share_count GREATER 0)
    string(REPLACE ";" "," labels "${share_labels}")
    string(REPLACE ";" ":" filter "${share_filters}")
    ql_emit_entry("${NAME}:${labels}" "${filter}" ${share_ms})
  endif()
  set(share_labels "")
  set(share_filters "")
  set(share_count 0)
  set(share_ms 0)
endmacro()
macro(ql_add_unit label patterns count ms)
  math(EXPR count_after "${share_count} + ${count}")
  math(EXPR ms_after "${share_ms} + ${ms}")
  if(count_after GREATER SHARE_SIZE OR ms_after GREATER SHARE_MS)
    ql_flush_share()
  endif()
  list(APPEND share_labels "${label}")
  list(APPEND share_filters ${patterns})
  math(EXPR share_count "${share_count} + ${count}")
  math(EXPR share_ms "${share_ms} + ${ms}")
endmacro()

foreach(suite IN LISTS suites)
  # Tests that take long are entries of their own; the others stay together.
  set(rest "")
  set(rest_ms "")
  foreach(test IN LISTS QL_GTEST_SUITE_${suite})
    set(ms ${quick_ms})
    if(DEFINED ms_${suite}.${test})
      set(ms ${ms_${suite}.${test}})
    endif()
    if(ms GREATER_EQUAL ALONE_MS)
      ql_emit_entry("${NAME}:${suite}.${test}" "${suite}.${test}" ${ms})
    else()
      list(APPEND rest ${test})
      list(APPEND rest_ms ${ms})
    endif()
  endforeach()
  list(LENGTH rest count)
  list(LENGTH QL_GTEST_SUITE_${suite} suite_count)
  if(count EQUAL 0)
    continue()
  endif()
  if(count EQUAL suite_count)
    set(total 0)
    foreach(ms IN LISTS rest_ms)
      math(EXPR total "${total} + ${ms}")
    endforeach()
    if(count LESS_EQUAL SHARE_SIZE AND total LESS_EQUAL SHARE_MS)
      ql_add_unit("${suite}" "${suite}.*" ${count} ${total})
      continue()
    endif()
  endif()
  # The rest of the suite in parts that each fit a share, test by test.
  set(part 1)
  set(part_tests "")
  set(part_ms 0)
  math(EXPR last "${count} - 1")
  foreach(index RANGE ${last})
    list(GET rest ${index} test)
    list(GET rest_ms ${index} ms)
    list(LENGTH part_tests part_count)
    math(EXPR ms_after "${part_ms} + ${ms}")
    if(part_count EQUAL SHARE_SIZE OR (part_count GREATER 0 AND ms_after GREATER SHARE_MS))
      ql_add_unit("${suite}(${part})" "${part_tests}" ${part_count} ${part_ms})
      math(EXPR part "${part} + 1")
      set(part_tests "")
      set(part_ms 0)
    endif()
    list(APPEND part_tests "${suite}.${test}")
    math(EXPR part_ms "${part_ms} + ${ms}")
  endforeach()
  list(LENGTH part_tests part_count)
  ql_add_unit("${suite}(${part})" "${part_tests}" ${part_count} ${part_ms})
endforeach()
ql_flush_share()

file(WRITE "${CTEST_FILE}" "${ctest_text}")
file(WRITE "${LIST_FILE}" "${list_text}")
