# How the tree compiles quickly. The test command builds it four times
# (plain, AddressSanitizer, ThreadSanitizer, fuzz), on CI from an empty
# cache and perhaps on two cores, so a cold build is what everyone waits for.
# kiv_add_library and kiv_add_test apply these settings to every library and
# test executable; a new folder gets them without an edit here.
#
#   - Unity builds (KIV_UNITY, on): a library or test executable is compiled
#     from batches of KIV_UNITY_BATCH of its .cpp files, so the headers they
#     share (the layer's, the standard library's, Asio's, GoogleTest's) are
#     parsed, instantiated and emitted once per batch instead of once per
#     file. This halves the compile time of the sanitizer trees. The price:
#     the files of one library, or of one test folder, must not define the
#     same name twice in their anonymous namespaces or as static functions.
#     Give such helpers names of their own (or share one in a header);
#     KIV_UNITY=OFF builds file by file to find which file an error is in.
#   - ccache in depend mode: on a miss it takes the headers from the
#     compiler's own dependency file instead of running the preprocessor a
#     second time.
#   - Test executables link as position-dependent programs: CTest starts each
#     test case as a process of its own, and a position-independent test
#     binary spends a good part of its start applying a million relocations
#     (sanitizer metadata), for every case.
#   - lld links, when the machine has it.
#   - In the plain tree the tests' own code compiles at -Og: it is built on
#     every run and runs briefly, and -O2 doubles its compile time. The
#     libraries they test, the programs and the benchmarks keep -O2.
#   - A precompiled header shared by all test executables (KIV_TEST_PCH, off):
#     with GCC 12 and unity batches it costs more than it saves (loading the
#     100 MB header into every batch outweighs parsing GoogleTest there). It
#     is kept so that the trade can be measured again as the tests grow.

option(KIV_UNITY "Compile libraries and tests in unity batches" ON)
set(KIV_UNITY_BATCH 8 CACHE STRING "Source files per unity batch")
option(KIV_TEST_PCH "Share one precompiled header among the test executables" OFF)
set(KIV_LINKER "auto" CACHE STRING "Linker: auto (lld when present), lld, gold, bfd or default")

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  # Depend mode also holds for builds started outside the test script. The
  # sloppiness is what ccache needs to cache compilations that use a
  # precompiled header built seconds earlier in the same build.
  set(launcher env CCACHE_DEPEND=1
    "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
    ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()

if(KIV_LINKER STREQUAL "auto")
  find_program(KIV_LLD_PROGRAM NAMES ld.lld)
  if(KIV_LLD_PROGRAM)
    add_link_options(-fuse-ld=lld)
  endif()
elseif(NOT KIV_LINKER STREQUAL "default")
  add_link_options(-fuse-ld=${KIV_LINKER})
endif()

# kiv_speed_up_library(<target>)
function(kiv_speed_up_library target)
  if(KIV_UNITY)
    set_target_properties(${target} PROPERTIES
      UNITY_BUILD ON
      UNITY_BUILD_BATCH_SIZE ${KIV_UNITY_BATCH})
  endif()
endfunction()

# kiv_speed_up_test_main(<target>): the library every test links builds the
# shared precompiled header. GCC takes a precompiled header only where the
# flags that shape it match and where every macro it was built with is
# defined alike, so the target is compiled like the test executables
# (-fPIE, not -fPIC) and gives all of them -pthread, which cairo's and SDL's
# flags bring to some of them only (it defines _REENTRANT). Its own
# definitions must be set on its source file, not on the target.
function(kiv_speed_up_test_main target)
  kiv_speed_up_test_code(${target})
  if(NOT KIV_TEST_PCH)
    return()
  endif()
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  target_compile_options(${target} PRIVATE -fPIE)
  target_compile_options(${target} PUBLIC -pthread)
  target_precompile_headers(${target} PRIVATE
    <gtest/gtest.h> <gmock/gmock.h>
    <algorithm> <atomic> <chrono> <cstdint> <cstring> <filesystem> <fstream>
    <functional> <map> <memory> <mutex> <string> <thread> <vector>)
endfunction()

# kiv_speed_up_test_code(<target>): a target of test code only.
function(kiv_speed_up_test_code target)
  if(KIV_SANITIZE STREQUAL "" AND NOT KIV_FUZZ)
    target_compile_options(${target} PRIVATE -Og)
  endif()
endfunction()

# kiv_speed_up_test(<target> <test main target>)
function(kiv_speed_up_test target test_main)
  kiv_speed_up_library(${target})
  kiv_speed_up_test_code(${target})
  target_link_options(${target} PRIVATE -no-pie)
  if(KIV_TEST_PCH)
    target_precompile_headers(${target} REUSE_FROM ${test_main})
  endif()
endfunction()
