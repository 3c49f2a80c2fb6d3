find_package(GTest REQUIRED)
include(GoogleTest)

# Suites labelled 'concurrent' also run under ThreadSanitizer; this target builds just them.
add_custom_target(concurrent_tests)

# tavrix_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
# One GoogleTest executable; every test case becomes its own ctest test.
function(tavrix_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavrix tavrix_testsupport ${ARG_LIBS} GTest::gmock
                                        GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
  if("concurrent" IN_LIST ARG_LABELS)
    add_dependencies(concurrent_tests ${name})
  endif()
endfunction()
