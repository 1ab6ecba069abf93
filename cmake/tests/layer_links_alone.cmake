# Runs each program that the build linked from one layer's libraries and those
# below it alone (cmake/Subsystem.cmake); each must exist and start.
#   cmake "-DPROGRAMS=<program;...>" -P layer_links_alone.cmake
foreach(program IN LISTS PROGRAMS)
  if(NOT EXISTS ${program})
    message(FATAL_ERROR "Not built: ${program}")
  endif()
  execute_process(COMMAND ${program} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} ended with ${result}")
  endif()
  message(STATUS "Links alone: ${program}")
endforeach()
