# One library per subsystem folder.
#   <folder>/**/*.cpp            the library (tests/, bench/, fuzz/ and shell/main.cpp excluded)
#   <folder>/deps.cmake          optional: ql_depends(<folder> <other folders...>) and
#                                external packages (pkg-config) of the library
#   <folder>/tests/**/*_test.cpp    one GoogleTest executable, <folder>_tests, linked to
#                                   the folder's library and what it depends on; the
#                                   sub-folders of tests/ match the folder's own; CTest
#                                   runs it in shares of whole suites (TestShares.cmake)
#   <folder>/tests/**/*_support.cpp shared helpers of those tests
#   <folder>/tests/gtk/**            tests that need a display: their own executable,
#                                   <folder>_gtk_tests (with the shared helpers above),
#                                   one CTest entry labelled "gtk" run under a virtual
#                                   X server (xvfb-run), leak checking off (GTK keeps
#                                   process-wide caches that LeakSanitizer reports)
#   <folder>/bench/**/*_bench.cpp   added to the single ql_bench executable, which CTest
#                                   runs once as ql_bench_smoke (one pass of every benchmark)
#   <folder>/fuzz/*_fuzz.cpp        with QL_FUZZ, one libFuzzer executable each, named
#                                   after the file (object_records_fuzz.cpp: object_records_fuzz)
# A folder without sources gets no library yet. Dependencies between subsystem
# libraries may be cyclic (the program's neighbour calls run both ways); they are
# applied once every folder is known, and only to folders that have a library.

set(QL_LIBRARIES "")
set(QL_TEST_DIRS "")
set(QL_BENCH_SOURCES "")
set(QL_FUZZ_SOURCES "")
# Linked into every test program: the user's folders point at a scratch folder.
set(QL_TEST_PRIVATE_HOME ${CMAKE_SOURCE_DIR}/platform/tests/private_home.cpp)
# Linked into every test, benchmark and fuzz program: the services that the lower
# layers call upward through tables are installed as the program does at start-up.
# The include lines of the sources that still reach a higher layer (see
# cmake/tests/layer_includes.cmake); lowered as each one goes, down to none.
set(QL_MAX_UPWARD_INCLUDES 0)
set(QL_SERVICES_AT_LOAD ${CMAKE_SOURCE_DIR}/shell/tests/services_at_load.cpp)

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
    # Matched on the path inside the project, so that a checkout that itself lies
    # in a folder named tests, bench or fuzz still builds its libraries.
    file(RELATIVE_PATH project_path ${CMAKE_SOURCE_DIR} ${src})
    if(NOT project_path MATCHES "(^|/)(tests|bench|fuzz)/" AND NOT project_path STREQUAL "shell/main.cpp")
      list(APPEND lib_sources ${src})
    endif()
  endforeach()
  if(lib_sources)
    add_library(${name} STATIC ${lib_sources})
    ql_precompile_standard(${name})
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
  file(GLOB fuzz_sources CONFIGURE_DEPENDS ${dir}/fuzz/*_fuzz.cpp)
  set(QL_FUZZ_SOURCES ${QL_FUZZ_SOURCES} ${fuzz_sources} PARENT_SCOPE)
endfunction()

# The services file of a folder's test programs: none for the platform layer, whose
# tests link nothing above it.
function(ql_services_at_load name out)
  if(name STREQUAL "platform")
    set(${out} "" PARENT_SCOPE)
  else()
    set(${out} ${QL_SERVICES_AT_LOAD} PARENT_SCOPE)
  endif()
endfunction()

# Links every subsystem library to an executable.
function(ql_link_all target)
  target_link_libraries(${target} PRIVATE ${QL_LIBRARIES})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# The tests of tests/gtk/: one executable run as one CTest entry under xvfb-run.
function(ql_add_display_tests name shared_support)
  set(dir ${CMAKE_SOURCE_DIR}/${name})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/tests/gtk/*_test.cpp ${dir}/tests/gtk/*_support.cpp)
  if(NOT sources)
    return()
  endif()
  ql_services_at_load(${name} services)
  add_executable(${name}_gtk_tests ${sources} ${shared_support} ${QL_TEST_PRIVATE_HOME} ${services})
  ql_precompile_tests(${name}_gtk_tests)
  ql_test_program(${name}_gtk_tests)
  target_link_libraries(${name}_gtk_tests PRIVATE ${name} GTest::gtest GTest::gtest_main Threads::Threads)
  if(services)
    target_link_libraries(${name}_gtk_tests PRIVATE ${QL_LIBRARIES})
  endif()
  target_include_directories(${name}_gtk_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name}_gtk_tests PRIVATE
    QL_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output"
    QL_PROGRAM_DIR="${QL_PROGRAM_DIR}"
    QL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(TARGET music_fonts)
    add_dependencies(${name}_gtk_tests music_fonts)
  endif()
  add_test(NAME ${name}_gtk_tests
           COMMAND xvfb-run -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}_gtk_tests>
           WORKING_DIRECTORY ${QL_PROGRAM_DIR})
  set_tests_properties(${name}_gtk_tests PROPERTIES LABELS gtk TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;NO_AT_BRIDGE=1;GDK_BACKEND=x11")
endfunction()

function(ql_finish_subsystems)
  foreach(lib IN LISTS QL_LIBRARIES)
    get_property(deps GLOBAL PROPERTY QL_DEPS_${lib})
    foreach(dep IN LISTS deps)
      if(TARGET ${dep} AND NOT dep STREQUAL lib)
        target_link_libraries(${lib} PUBLIC ${dep})
      endif()
    endforeach()
    # The folders of one layer call each other both ways; the linker walks the
    # cycle of static libraries this many times.
    set_property(TARGET ${lib} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
  endforeach()
  foreach(name IN LISTS QL_TEST_DIRS)
    set(dir ${CMAKE_SOURCE_DIR}/${name})
    file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${dir}/tests/*_test.cpp)
    file(GLOB_RECURSE test_support CONFIGURE_DEPENDS ${dir}/tests/*_support.cpp)
    # The display tests are taken out by their own glob, not by a pattern on the
    # absolute path (which would also match folders above the project).
    file(GLOB_RECURSE display_test_files CONFIGURE_DEPENDS ${dir}/tests/gtk/*.cpp)
    foreach(display_file IN LISTS display_test_files)
      list(REMOVE_ITEM test_sources ${display_file})
      list(REMOVE_ITEM test_support ${display_file})
    endforeach()
    # The desktop scenarios drive the real program under a virtual X server: they
    # are their own executable (cmake/DesktopTests.cmake).
    file(GLOB_RECURSE desktop_test_files CONFIGURE_DEPENDS ${dir}/tests/desktop/*.cpp)
    foreach(desktop_file IN LISTS desktop_test_files)
      list(REMOVE_ITEM test_sources ${desktop_file})
      list(REMOVE_ITEM test_support ${desktop_file})
    endforeach()
    if(NOT QL_TEST_FILTER)
      ql_add_display_tests(${name} "${test_support}")
    endif()
    if(QL_TEST_FILTER)
      list(FILTER test_sources INCLUDE REGEX "${QL_TEST_FILTER}")
      list(FILTER test_support INCLUDE REGEX "${QL_TEST_FILTER}")
      if(NOT test_sources)
        continue()
      endif()
    endif()
    ql_services_at_load(${name} services)
    add_executable(${name}_tests ${test_sources} ${test_support} ${QL_TEST_PRIVATE_HOME} ${services})
    ql_precompile_tests(${name}_tests)
    ql_test_program(${name}_tests)
    if(TARGET ${name})
      target_link_libraries(${name}_tests PRIVATE ${name})
    endif()
    # The services file installs the tables of every layer: it needs them all.
    if(services)
      target_link_libraries(${name}_tests PRIVATE ${QL_LIBRARIES})
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
    ql_add_test_shares(${name}_tests WORKING_DIRECTORY ${QL_PROGRAM_DIR} TIMEOUT 600)
  endforeach()
  if(QL_BENCHMARKS AND QL_BENCH_SOURCES)
    add_executable(ql_bench ${QL_BENCH_SOURCES} ${QL_SERVICES_AT_LOAD})
    ql_precompile_standard(ql_bench)
    ql_test_program(ql_bench)
    ql_link_all(ql_bench)
    target_link_libraries(ql_bench PRIVATE benchmark::benchmark benchmark::benchmark_main Threads::Threads)
    if(TARGET music_fonts)
      add_dependencies(ql_bench music_fonts)
    endif()
    # Every benchmark also runs as a test, for a single pass each: a smoke check
    # that they all still build and run (the timings mean nothing here). It is one
    # of the longest tests: a high cost starts it first in a parallel run.
    add_test(NAME ql_bench_smoke COMMAND ql_bench --benchmark_min_time=0
             WORKING_DIRECTORY ${QL_PROGRAM_DIR})
    set_tests_properties(ql_bench_smoke PROPERTIES LABELS bench TIMEOUT 600 COST 1000)
  endif()
  if(QL_FUZZ)
    foreach(src IN LISTS QL_FUZZ_SOURCES)
      get_filename_component(fuzz_name ${src} NAME_WE)
      add_executable(${fuzz_name} ${src} ${QL_SERVICES_AT_LOAD})
      ql_link_all(${fuzz_name})
      target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
    endforeach()
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/shell/main.cpp)
    add_executable(quaverline ${CMAKE_SOURCE_DIR}/shell/main.cpp)
    ql_link_all(quaverline)  # what it needs beside it: QL_PROGRAM_COMPANIONS
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-output)
  # No source reaches above its layer by more include lines than the tree is down to.
  add_test(NAME layer_includes
           COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DMAX=${QL_MAX_UPWARD_INCLUDES}
                   -P ${CMAKE_SOURCE_DIR}/cmake/tests/layer_includes.cmake)
  # Each layer's libraries link alone, with those of the layers below: every object
  # of them is taken into a program of its own, so a call that reaches a higher
  # layer leaves a symbol undefined and fails the build. The test runs the programs
  # the build made.
  set(alone_core platform core)
  set(alone_music ${alone_core} notes staves layout display objects files)
  set(alone_work ${alone_music} editing sequencer interchange)
  set(alone_programs "")
  foreach(layer core music work)
    set(target layer_links_alone_${layer})
    add_executable(${target} ${CMAKE_SOURCE_DIR}/cmake/tests/layer_links_alone.cpp)
    set(archives "")
    foreach(lib IN LISTS alone_${layer})
      list(APPEND archives $<TARGET_FILE:${lib}>)
    endforeach()
    target_link_libraries(${target} PRIVATE -Wl,--whole-archive ${archives} -Wl,--no-whole-archive
                                            ${alone_${layer}})
    list(APPEND alone_programs $<TARGET_FILE:${target}>)
  endforeach()
  add_test(NAME layer_links_alone
           COMMAND ${CMAKE_COMMAND} "-DPROGRAMS=${alone_programs}"
                   -P ${CMAKE_SOURCE_DIR}/cmake/tests/layer_links_alone.cmake)
  # The rules above, checked on a copy of the tree that lies in a folder named tests.
  if(NOT QL_TEST_FILTER)
    string(REPLACE ";" "," libraries "${QL_LIBRARIES}")
    add_test(NAME build_rules_checkout_in_tests_folder
             COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}
                     -DWORK=${CMAKE_BINARY_DIR}/test-output/build_rules
                     -DGENERATOR=${CMAKE_GENERATOR} -DLIBRARIES=${libraries}
                     -P ${CMAKE_SOURCE_DIR}/cmake/tests/checkout_in_tests_folder.cmake)
  endif()
endfunction()
