# Checks that building the program alone (the run command's "--target quaverline")
# builds every file the program looks for beside it: each file of COMPANIONS (a
# ";"-separated list of the absolute paths of the sources they are made from) must
# be among the inputs Ninja reads to build the program; the missing ones are listed.
#   cmake -DNINJA=<ninja> -DBUILD=<build folder> -DCOMPANIONS=<files> -P program_companions.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NINJA} -C ${BUILD} -t inputs quaverline
                OUTPUT_VARIABLE inputs RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ninja could not list the program's inputs (${status})")
endif()
string(REPLACE "\n" ";" inputs "${inputs}")
set(missing "")
foreach(file IN LISTS COMPANIONS)
  if(NOT file IN_LIST inputs)
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  string(REPLACE ";" "\n  " missing "${missing}")
  message(FATAL_ERROR "building the program leaves out:\n  ${missing}")
endif()
