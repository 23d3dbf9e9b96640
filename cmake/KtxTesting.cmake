# ktx_add_unit_test(NAME SOURCES... LIBS ...)
# Builds one GoogleTest program and registers it as a single CTest test:
# under Wine every process start is costly, so one test per program, not per case.
function(ktx_add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS unit)
endfunction()
