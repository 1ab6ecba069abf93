# Precompiled headers: the standard library headers most files include, and, for
# the test programs, GoogleTest. Only system headers are precompiled: they bring no
# macros a file of the program could come to rely on by accident (GTK's headers
# stay with the few files that include them), and the program's own headers are
# still included where they are used.
# On by default in the sanitizer build only: GCC 12 loses the warning suppressions
# of libstdc++'s string code when it comes from a precompiled header, and without
# the sanitizers -Warray-bounds then reports std::string concatenations (an error
# with QL_WERROR).
# Off, too, behind ccache: it cannot reuse objects built against a precompiled
# header (unless told to be sloppy about it), and a warm cache is faster anyway.
set(ql_pch_default ${QL_SANITIZE})
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  set(ql_pch_default OFF)
endif()
option(QL_PCH "Precompile the standard library and test framework headers" ${ql_pch_default})

set(QL_PCH_STANDARD
  <algorithm> <array> <atomic> <cmath> <cstddef> <cstdint> <cstdio> <cstdlib>
  <cstring> <filesystem> <functional> <limits> <map> <memory> <optional>
  <random> <span> <string> <string_view> <system_error> <type_traits> <utility>
  <vector>)

# Targets compiled with the same options share one precompiled header: the first
# target of a kind makes it and the others reuse it (GCC takes a header only when
# the options match; with -Winvalid-pch and QL_WERROR a mismatch fails the build).
# The subsystem libraries are one kind, the test programs of the folders another.
function(ql_precompile_shared target kind headers)
  get_property(owner GLOBAL PROPERTY QL_PCH_OWNER_${kind})
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  else()
    set_property(GLOBAL PROPERTY QL_PCH_OWNER_${kind} ${target})
    target_precompile_headers(${target} PRIVATE ${headers})
  endif()
endfunction()

# A subsystem library.
function(ql_precompile_library target)
  if(QL_PCH)
    ql_precompile_shared(${target} library "${QL_PCH_STANDARD}")
  endif()
endfunction()

# ql_bench.
function(ql_precompile_standard target)
  if(QL_PCH)
    target_precompile_headers(${target} PRIVATE ${QL_PCH_STANDARD})
  endif()
endfunction()

# A test program: the standard headers and GoogleTest (GoogleMock is left to the
# file that uses it). With SHARED, a folder's test program, compiled as the others.
function(ql_precompile_tests target)
  if(NOT QL_PCH)
    return()
  endif()
  if(ARGV1 STREQUAL "SHARED")
    ql_precompile_shared(${target} tests "${QL_PCH_STANDARD};<gtest/gtest.h>")
  else()
    target_precompile_headers(${target} PRIVATE ${QL_PCH_STANDARD} <gtest/gtest.h>)
  endif()
endfunction()
