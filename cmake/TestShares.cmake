# The CTest entries of a GoogleTest program: its tests run in shares, each share one
# process that runs whole suites (a suite larger than a share is cut in parts), at
# most QL_TEST_SHARE_SIZE tests a share. A test program under the sanitizers takes
# a tenth of a second or more to start, and its lazily built tables (fonts, code
# pages, palettes) are built once per process rather than once per test. A share is
# named after the program and the suites it runs, so `ctest -R <Suite>` still picks
# a suite.
#
# The shares are written when the program is linked, from its own list of tests
# (cmake/test_shares_write.cmake), so a new test or suite needs no edit here; a
# CTest check (cmake/tests/test_shares_cover.cmake) proves that every test of every
# program lies in exactly one share.
set(QL_TEST_SHARE_SIZE 40 CACHE STRING "Most tests one CTest entry of a test program runs")
# The measured times of the tests that take long (scripts/measure-test-times.sh
# writes them from a run of the tests): a test measured at QL_TEST_ALONE_MS or
# more is an entry of its own, a share holds at most QL_TEST_SHARE_MS of measured
# time, and each entry's CTest cost is its measured time, so that a parallel run
# starts the longest first and no core waits alone on a long share at the end.
set(QL_TEST_TIMES ${CMAKE_SOURCE_DIR}/cmake/test_times.txt)
set(QL_TEST_ALONE_MS 4000 CACHE STRING "Measured time that makes a test a CTest entry of its own")
set(QL_TEST_SHARE_MS 15000 CACHE STRING "Most measured time of one share")
set(QL_TEST_SHARES_DIR ${CMAKE_BINARY_DIR}/test-shares)
set_property(GLOBAL PROPERTY QL_TEST_SHARE_PROGRAMS "")

# ql_add_test_shares(<target> WORKING_DIRECTORY <dir> TIMEOUT <seconds per share>
#                    [LABELS <labels>] [ENVIRONMENT <env>])
function(ql_add_test_shares target)
  cmake_parse_arguments(arg "" "WORKING_DIRECTORY;TIMEOUT" "LABELS;ENVIRONMENT" ${ARGN})
  set(ctest_file ${QL_TEST_SHARES_DIR}/${target}_tests.cmake)
  set(list_file ${QL_TEST_SHARES_DIR}/${target}_shares.txt)
  add_custom_command(TARGET ${target} POST_BUILD
    BYPRODUCTS ${ctest_file} ${list_file}
    COMMAND ${CMAKE_COMMAND}
            -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target}
            -DWORKING_DIRECTORY=${arg_WORKING_DIRECTORY}
            -DSHARE_SIZE=${QL_TEST_SHARE_SIZE} -DSHARE_MS=${QL_TEST_SHARE_MS}
            -DALONE_MS=${QL_TEST_ALONE_MS} -DTIMES=${QL_TEST_TIMES} -DTIMEOUT=${arg_TIMEOUT}
            "-DLABELS=${arg_LABELS}" "-DENVIRONMENT=${arg_ENVIRONMENT}"
            -DCTEST_FILE=${ctest_file} -DLIST_FILE=${list_file}
            -P ${CMAKE_SOURCE_DIR}/cmake/test_shares_write.cmake
    VERBATIM)
  set(include_file ${QL_TEST_SHARES_DIR}/${target}_include.cmake)
  file(WRITE ${include_file}
    "if(EXISTS \"${ctest_file}\")\n"
    "  include(\"${ctest_file}\")\n"
    "else()\n"
    "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
  set_property(GLOBAL APPEND PROPERTY QL_TEST_SHARE_PROGRAMS ${target})
endfunction()

# The check that the shares of every program registered above cover its tests, each
# once; and the same check shown to fail on shares that leave a test out.
function(ql_add_test_shares_check)
  get_property(programs GLOBAL PROPERTY QL_TEST_SHARE_PROGRAMS)
  if(NOT programs)
    return()
  endif()
  set(files "")
  foreach(program IN LISTS programs)
    list(APPEND files "$<TARGET_FILE:${program}>=${QL_TEST_SHARES_DIR}/${program}_shares.txt")
  endforeach()
  string(REPLACE ";" "|" files "${files}")
  add_test(NAME test_shares_cover_every_test
           COMMAND ${CMAKE_COMMAND} "-DPROGRAMS=${files}"
                   -P ${CMAKE_SOURCE_DIR}/cmake/tests/test_shares_cover.cmake
           WORKING_DIRECTORY ${QL_PROGRAM_DIR})
  # The first program's shares with their last share dropped, or their first share
  # run twice: the check must say so.
  list(GET programs 0 first)
  set(expected_drop_last "is in no share")
  set(expected_repeat_first "is in 2 shares")
  foreach(damage IN ITEMS drop_last repeat_first)
    add_test(NAME test_shares_cover_fails_on_${damage}
             COMMAND ${CMAKE_COMMAND} "-DPROGRAMS=$<TARGET_FILE:${first}>=${QL_TEST_SHARES_DIR}/${first}_shares.txt"
                     -DDAMAGE=${damage} -P ${CMAKE_SOURCE_DIR}/cmake/tests/test_shares_cover.cmake
             WORKING_DIRECTORY ${QL_PROGRAM_DIR})
    set_tests_properties(test_shares_cover_fails_on_${damage} PROPERTIES
      PASS_REGULAR_EXPRESSION "${expected_${damage}}")
  endforeach()
endfunction()
