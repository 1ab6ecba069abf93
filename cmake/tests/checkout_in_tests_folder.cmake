# Configures a copy of the source tree placed inside a folder named "tests" and
# checks that every subsystem library is still made: library sources are told
# from test, benchmark and fuzz sources by their path inside the project, never
# by the folders above it. Run by CTest:
#   cmake -DSOURCE=<tree> -DWORK=<scratch folder> -DGENERATOR=<generator>
#         -DLIBRARIES=<a,b,...> -P checkout_in_tests_folder.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var SOURCE WORK GENERATOR LIBRARIES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

set(copy ${WORK}/tests/checkout)
set(build ${WORK}/tests/build)
file(REMOVE_RECURSE ${WORK}/tests)
file(MAKE_DIRECTORY ${copy})

# The tree without its version control and without build folders kept inside it.
file(GLOB entries RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(entry IN LISTS entries)
  if(entry MATCHES "^\\.git$" OR EXISTS ${SOURCE}/${entry}/CMakeCache.txt)
    continue()
  endif()
  file(COPY ${SOURCE}/${entry} DESTINATION ${copy})
endforeach()

# Ask for the code model so the targets can be read back whatever the generator.
file(WRITE ${build}/.cmake/api/v1/query/codemodel-v2 "")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${copy} -B ${build} -G ${GENERATOR} -DQL_BENCHMARKS=OFF
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring the copy failed:\n${output}")
endif()

file(GLOB index ${build}/.cmake/api/v1/reply/index-*.json)
file(READ ${index} text)
string(JSON model GET ${text} reply codemodel-v2 jsonFile)
file(READ ${build}/.cmake/api/v1/reply/${model} text)
string(JSON targets GET ${text} configurations 0 targets)
string(JSON count LENGTH ${targets})
set(made "")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON name GET ${targets} ${i} name)
  list(APPEND made ${name})
endforeach()

string(REPLACE "," ";" expected "${LIBRARIES}")
set(missing "")
foreach(library IN LISTS expected)
  if(NOT library IN_LIST made)
    list(APPEND missing ${library})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "a checkout under ${WORK}/tests makes no library for: ${missing}")
endif()
file(REMOVE_RECURSE ${WORK}/tests)
message(STATUS "every library is made in a checkout under a folder named tests")
