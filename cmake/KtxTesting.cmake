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
  if(CMAKE_CROSSCOMPILING)
    # Started by the emulator (cmake/wine-run.sh), which skips a program
    # this machine cannot run.
    set_tests_properties(${KTX_BUILD_TAG}.${name} PROPERTIES SKIP_RETURN_CODE ${KTX_MACHINE_SKIP_CODE})
  endif()
endfunction()

# The architecture of the programs a test of this build starts: a 32-bit
# one may not run on this machine (a kernel that runs only 64-bit programs).
if(KTX_WINE_ARCH)
  set(KTX_TEST_ARCH ${KTX_WINE_ARCH})
else()
  set(KTX_TEST_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()
# The exit code of a test that cannot run on this machine; it prints why.
set(KTX_MACHINE_SKIP_CODE 77)

# ktx_add_guarded_test(NAME name [ARCH arch] COMMAND command...)
# Registers a test that starts through cmake/machine-guard.sh: where this
# machine cannot run ARCH's programs (default: this build's) the guard prints
# the reason and exits with the skip code, which CTest reports as skipped.
function(ktx_add_guarded_test)
  cmake_parse_arguments(ARG "" "NAME;ARCH" "COMMAND" ${ARGN})
  if(NOT ARG_ARCH)
    set(ARG_ARCH ${KTX_TEST_ARCH})
  endif()
  add_test(NAME ${ARG_NAME}
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/machine-guard.sh ${ARG_ARCH} ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES SKIP_RETURN_CODE ${KTX_MACHINE_SKIP_CODE})
endfunction()

# ktx_preloaded_command(VAR LIBRARY)
# Sets VAR to the words that start a program of this build with LIBRARY
# preloaded: natively `env LD_PRELOAD=LIBRARY`; in a build whose programs
# run under qemu-user, the emulator with `-E LD_PRELOAD=LIBRARY`, which sets
# it in the emulated program's environment only (qemu itself is a host
# program and must not be preloaded with a library of the target).
function(ktx_preloaded_command var library)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(${var} ${CMAKE_CROSSCOMPILING_EMULATOR} -E LD_PRELOAD=${library} PARENT_SCOPE)
  else()
    set(${var} env LD_PRELOAD=${library} PARENT_SCOPE)
  endif()
endfunction()
