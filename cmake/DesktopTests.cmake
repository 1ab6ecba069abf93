# The end-to-end suite (shell/tests/desktop/): one executable that starts the real
# quaverline binary on a virtual X server, finds its windows in the X window tree
# and drives it only with XTest input events. One CTest entry labelled "desktop".
function(ql_add_desktop_tests)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/shell/tests/desktop/*.cpp)
  if(NOT sources OR NOT TARGET quaverline)
    return()
  endif()
  pkg_check_modules(QL_XTEST REQUIRED IMPORTED_TARGET x11 xtst)
  add_executable(desktop_tests ${sources})
  target_include_directories(desktop_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(desktop_tests PRIVATE PkgConfig::QL_XTEST GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(desktop_tests PRIVATE QL_PROGRAM_DIR="${QL_PROGRAM_DIR}")
  add_dependencies(desktop_tests quaverline)
  add_test(NAME desktop_tests
           COMMAND xvfb-run -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:desktop_tests>
           WORKING_DIRECTORY ${QL_PROGRAM_DIR})
  set_tests_properties(desktop_tests PROPERTIES LABELS desktop TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
endfunction()
