# The end-to-end suite (shell/tests/desktop/): one executable whose scenarios each
# start a virtual X server of their own (Xvfb) and the real quaverline binary on it,
# find its windows in the X window tree and drive it only with XTest input events.
# Every scenario is a CTest entry labelled "desktop", so they run side by side.
function(ql_add_desktop_tests)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/shell/tests/desktop/*.cpp)
  if(NOT sources OR NOT TARGET quaverline)
    return()
  endif()
  pkg_check_modules(QL_XTEST REQUIRED IMPORTED_TARGET x11 xtst xfixes)
  find_package(ZLIB REQUIRED)
  # The NIFF writer makes the scenarios' .nif files.
  add_executable(desktop_tests ${sources} ${CMAKE_SOURCE_DIR}/interchange/niff/niff_writer.cpp
    ${CMAKE_SOURCE_DIR}/interchange/niff/niff_schema.cpp ${CMAKE_SOURCE_DIR}/platform/sys/file_io.cpp)
  ql_precompile_tests(desktop_tests)
  ql_test_program(desktop_tests)
  target_include_directories(desktop_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(desktop_tests PRIVATE PkgConfig::QL_XTEST ZLIB::ZLIB GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(desktop_tests PRIVATE QL_PROGRAM_DIR="${QL_PROGRAM_DIR}")
  add_dependencies(desktop_tests quaverline)  # and with it all it uses beside it
  gtest_discover_tests(desktop_tests WORKING_DIRECTORY ${QL_PROGRAM_DIR} DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS desktop TIMEOUT 120 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
endfunction()
