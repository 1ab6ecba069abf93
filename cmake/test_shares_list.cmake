# ql_list_gtest_program(<program> <working directory> <out>): runs a GoogleTest
# program's --gtest_list_tests and sets <out> to its suites in the order it runs
# them, and QL_GTEST_SUITE_<suite> to the names of each suite's tests.
function(ql_list_gtest_program program working_directory out)
  execute_process(COMMAND "${program}" --gtest_list_tests
    WORKING_DIRECTORY "${working_directory}" TIMEOUT 60
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} --gtest_list_tests failed (${result}):\n${output}${errors}")
  endif()
  # Parameter comments ("  # GetParam() = ...") may hold any character; names hold
  # no brackets or semicolons, which a CMake list would take apart.
  string(REGEX REPLACE "  +#[^\n]*" "" output "${output}")
  string(REGEX REPLACE "[][;]" "" output "${output}")
  string(REPLACE "\n" ";" lines "${output}")
  set(suites "")
  set(suite "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ ]+)\\.$")
      set(suite ${CMAKE_MATCH_1})
      list(APPEND suites ${suite})
      set(QL_GTEST_SUITE_${suite} "")
    elseif(line MATCHES "^  ([^ ]+)$" AND suite)
      list(APPEND QL_GTEST_SUITE_${suite} ${CMAKE_MATCH_1})
    elseif(line MATCHES "^ ")
      message(FATAL_ERROR "${program}: cannot read the test line '${line}'")
    endif()
  endforeach()
  foreach(suite IN LISTS suites)
    set(QL_GTEST_SUITE_${suite} ${QL_GTEST_SUITE_${suite}} PARENT_SCOPE)
  endforeach()
  set(${out} ${suites} PARENT_SCOPE)
endfunction()
