# ktx_add_unit_test(NAME SOURCES... LIBS ...)
# Builds one GoogleTest program and registers it as a single CTest test:
# under Wine every process start is costly, so one test per program, not per case.
# Test names carry the build they belong to (host, host-asan, win32, win64),
# since ./run test runs all four builds' tests in one CTest run.
if(NOT KTX_BUILD_TAG)
  if(CMAKE_CROSSCOMPILING AND WIN32)
    set(KTX_BUILD_TAG ${KTX_WINE_ARCH})
  elseif(KTX_SANITIZE)
    set(KTX_BUILD_TAG host-asan)
  else()
    set(KTX_BUILD_TAG host)
  endif()
endif()

function(ktx_add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${KTX_BUILD_TAG}.${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${KTX_BUILD_TAG}.${name} PROPERTIES TIMEOUT 600 LABELS "unit;${KTX_BUILD_TAG}")
endfunction()
