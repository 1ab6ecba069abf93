# One library per subsystem folder.
#   <folder>/**/*.cpp            the library (tests/, bench/, fuzz/ and shell/main.cpp excluded)
#   <folder>/deps.cmake          optional: ql_depends(<folder> <other folders...>) and
#                                external packages (pkg-config) of the library
#   <folder>/tests/**/*_test.cpp    one GoogleTest executable, <folder>_tests, linked to
#                                   the folder's library and what it depends on; the
#                                   sub-folders of tests/ match the folder's own
#   <folder>/tests/**/*_support.cpp shared helpers of those tests
#   <folder>/bench/**/*_bench.cpp   added to the single ql_bench executable
# A folder without sources gets no library yet. Dependencies between subsystem
# libraries may be cyclic (the program's neighbour calls run both ways); they are
# applied once every folder is known, and only to folders that have a library.

set(QL_LIBRARIES "")
set(QL_TEST_DIRS "")
set(QL_BENCH_SOURCES "")

function(ql_depends name)
  set_property(GLOBAL APPEND PROPERTY QL_DEPS_${name} ${ARGN})
endfunction()

function(ql_add_subsystem name)
  set(dir ${CMAKE_SOURCE_DIR}/${name})
  if(NOT EXISTS ${dir})
    return()
  endif()
  file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(lib_sources "")
  foreach(src IN LISTS all_sources)
    if(NOT src MATCHES "/(tests|bench|fuzz)/" AND NOT src MATCHES "/shell/main\\.cpp$")
      list(APPEND lib_sources ${src})
    endif()
  endforeach()
  if(lib_sources)
    add_library(${name} STATIC ${lib_sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Threads::Threads)
    if(EXISTS ${dir}/deps.cmake)
      include(${dir}/deps.cmake)
    endif()
    set(QL_LIBRARIES ${QL_LIBRARIES} ${name} PARENT_SCOPE)
  endif()
  file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${dir}/tests/*_test.cpp)
  if(test_sources)
    set(QL_TEST_DIRS ${QL_TEST_DIRS} ${name} PARENT_SCOPE)
  endif()
  file(GLOB_RECURSE bench_sources CONFIGURE_DEPENDS ${dir}/bench/*_bench.cpp)
  set(QL_BENCH_SOURCES ${QL_BENCH_SOURCES} ${bench_sources} PARENT_SCOPE)
endfunction()

# Links every subsystem library to an executable.
function(ql_link_all target)
  target_link_libraries(${target} PRIVATE ${QL_LIBRARIES})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

function(ql_finish_subsystems)
  foreach(lib IN LISTS QL_LIBRARIES)
    get_property(deps GLOBAL PROPERTY QL_DEPS_${lib})
    foreach(dep IN LISTS deps)
      if(TARGET ${dep} AND NOT dep STREQUAL lib)
        target_link_libraries(${lib} PUBLIC ${dep})
      endif()
    endforeach()
  endforeach()
  foreach(name IN LISTS QL_TEST_DIRS)
    set(dir ${CMAKE_SOURCE_DIR}/${name})
    file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${dir}/tests/*_test.cpp)
    file(GLOB_RECURSE test_support CONFIGURE_DEPENDS ${dir}/tests/*_support.cpp)
    add_executable(${name}_tests ${test_sources} ${test_support})
    if(TARGET ${name})
      target_link_libraries(${name}_tests PRIVATE ${name})
    endif()
    target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name}_tests PRIVATE GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
    target_compile_definitions(${name}_tests PRIVATE
      QL_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output"
      QL_PROGRAM_DIR="${QL_PROGRAM_DIR}"
      QL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(TARGET music_fonts)
      add_dependencies(${name}_tests music_fonts)
    endif()
    gtest_discover_tests(${name}_tests WORKING_DIRECTORY ${QL_PROGRAM_DIR}
                         DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endforeach()
  if(QL_BENCHMARKS AND QL_BENCH_SOURCES)
    add_executable(ql_bench ${QL_BENCH_SOURCES})
    ql_link_all(ql_bench)
    target_link_libraries(ql_bench PRIVATE benchmark::benchmark benchmark::benchmark_main Threads::Threads)
    if(TARGET music_fonts)
      add_dependencies(ql_bench music_fonts)
    endif()
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/shell/main.cpp)
    add_executable(quaverline ${CMAKE_SOURCE_DIR}/shell/main.cpp)
    ql_link_all(quaverline)
    if(TARGET music_fonts)
      add_dependencies(quaverline music_fonts)
    endif()
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-output)
endfunction()
