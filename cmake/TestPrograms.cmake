# Compile settings of the test and benchmark programs' own files.
# In the sanitizer builds (Debug) they compile without optimisation: their code is
# thin (set-up, calls into the libraries, checks), and GoogleTest's macros make -O1
# two to three times slower to compile there than -O0, which is most of the build.
# The libraries they drive keep the build's own -O1, so the program is checked as
# it runs; the Release build's benchmarks keep their optimisation.
function(ql_test_program target)
  if(QL_SANITIZE OR QL_TSAN)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Debug>:-O0>)
  endif()
endfunction()
