# kiv_add_test(<name> SOURCES <files...> LIBS <targets...> [CONCURRENCY])
#
# One GoogleTest executable whose cases CTest runs one by one (a sanitizer
# tree runs them in four shards). CONCURRENCY marks a test that exercises
# threads: it is labelled "concurrency" and is the only kind built in the
# ThreadSanitizer tree. Every test target joins the custom target kiv_tests,
# so sanitizer trees build tests and what they link, nothing else.
set_property(GLOBAL PROPERTY KIV_TEST_TARGETS "")

# The environment of the tests (time zone, configuration and scratch folders)
# is set by their shared main, so it holds however a test binary is started.
function(kiv_add_test_main)
  if(TARGET kiv_test_main)
    return()
  endif()
  add_library(kiv_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  # A definition of the one file, not of the target (see kiv_speed_up_test_main).
  set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp PROPERTIES
    COMPILE_DEFINITIONS KIV_TEST_BUILD_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(kiv_test_main PUBLIC GTest::gtest GTest::gmock Threads::Threads)
  kiv_speed_up_test_main(kiv_test_main)
endfunction()

function(kiv_add_test name)
  cmake_parse_arguments(T "CONCURRENCY" "" "SOURCES;LIBS" ${ARGN})
  if(KIV_SANITIZE STREQUAL "thread" AND NOT T_CONCURRENCY)
    return()
  endif()
  kiv_add_test_main()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kiv_test_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  kiv_speed_up_test(${name} kiv_test_main)
  set(labels unit)
  if(T_CONCURRENCY)
    set(labels concurrency)
  endif()
  if(KIV_SANITIZE)
    # A sanitizer tree runs each executable in a few shards rather than case
    # by case: a sanitized process pays for its start (shadow memory, fonts,
    # skins, the stand-in's models) and its leak check at exit, which cost
    # several times the work of most cases. A failing case is still named in
    # its shard's output.
    foreach(shard RANGE 0 3)
      add_test(NAME ${name}/shard${shard} COMMAND ${name})
      set_tests_properties(${name}/shard${shard} PROPERTIES
        ENVIRONMENT "GTEST_TOTAL_SHARDS=4;GTEST_SHARD_INDEX=${shard}"
        LABELS "${labels}"
        TIMEOUT 1800)
    endforeach()
  else()
    # A case of a parameterised test keeps its GoogleTest name in CTest
    # (Suite/Test.Name/case): the value printed in its place would be raw
    # bytes for most parameters, different in every build.
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      NO_PRETTY_VALUES
      PROPERTIES
        LABELS "${labels}"
        TIMEOUT 300)
  endif()
  set_property(GLOBAL APPEND PROPERTY KIV_TEST_TARGETS ${name})
endfunction()

# kiv_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
function(kiv_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY KIV_TEST_TARGETS ${name})
  set_property(GLOBAL APPEND PROPERTY KIV_FUZZ_TARGETS ${name})
endfunction()

function(kiv_finish_test_targets)
  get_property(targets GLOBAL PROPERTY KIV_TEST_TARGETS)
  add_custom_target(kiv_tests)
  if(targets)
    add_dependencies(kiv_tests ${targets})
  endif()
  get_property(fuzzers GLOBAL PROPERTY KIV_FUZZ_TARGETS)
  string(REPLACE ";" "\n" fuzz_list "${fuzzers}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz-targets.txt "${fuzz_list}\n")
endfunction()

# kiv_add_test_folder(<prefix> LIBS <targets...>)
#
# The tests of one source folder: every *Test.cpp of the folder is one
# executable <prefix>_tests, except *ConcurrencyTest.cpp files, which form
# <prefix>_concurrency_tests (built and run under ThreadSanitizer as well).
function(kiv_add_test_folder prefix)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  file(GLOB concurrent CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*ConcurrencyTest.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Support.cpp)
  set(plain ${all})
  if(concurrent)
    list(REMOVE_ITEM plain ${concurrent})
  endif()
  if(plain)
    kiv_add_test(${prefix}_tests SOURCES ${plain} ${support} LIBS ${T_LIBS})
  endif()
  if(concurrent)
    kiv_add_test(${prefix}_concurrency_tests SOURCES ${concurrent} ${support} LIBS ${T_LIBS} CONCURRENCY)
  endif()
endfunction()
