# How the programs that ship are linked.
#
# Every product source is compiled without exceptions, RTTI and thread-safe
# statics (src/CMakeLists.txt), in every build, so the unit tests link the
# very objects that ship. A shipped program is then linked by the C driver
# with our own operator new/delete over the process heap
# (src/app/win32/cxx_runtime_support.cpp): no libstdc++, hence no exception
# or locale machinery and no winpthreads, whose imports (GetTickCount64,
# vectored exception handlers, ...) no Windows before Vista or XP has.
#
# KTX_NO_CXX_RUNTIME switches that C-driver link on. It needs product code
# that uses only header-only parts of the standard library (no std::string,
# std::vector or the like, whose out-of-line members live in libstdc++); off,
# the program links libstdc++ statically and imports what its thread library
# needs, which Windows 95, NT 4.0 and 64-bit XP lack.
option(KTX_NO_CXX_RUNTIME
  "Link the shipped Windows programs with the C driver and no C++ runtime library" ON)

# The oldest Windows each shipped program is for, in its header: 4.0 (Windows
# 95 and NT 4.0) for 32-bit, 5.2 (64-bit XP and Server 2003) for 64-bit.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KTX_SHIPPED_WINDOWS_MAJOR 5)
  set(KTX_SHIPPED_WINDOWS_MINOR 2)
else()
  set(KTX_SHIPPED_WINDOWS_MAJOR 4)
  set(KTX_SHIPPED_WINDOWS_MINOR 0)
endif()

# ktx_shipped_program(TARGET): links TARGET as a shipped Windows program:
# stripped (no symbols, no debug sections), unused sections dropped (the
# product's code is compiled one function a section, src/CMakeLists.txt),
# with the version fields above,
# our operator new/delete, and with KTX_NO_CXX_RUNTIME by the C driver.
function(ktx_shipped_program target)
  target_link_libraries(${target} PRIVATE ktx_cxx_runtime_support)
  target_link_options(${target} PRIVATE
    -s
    "LINKER:--gc-sections"
    "LINKER:--major-os-version,${KTX_SHIPPED_WINDOWS_MAJOR}"
    "LINKER:--minor-os-version,${KTX_SHIPPED_WINDOWS_MINOR}"
    "LINKER:--major-subsystem-version,${KTX_SHIPPED_WINDOWS_MAJOR}"
    "LINKER:--minor-subsystem-version,${KTX_SHIPPED_WINDOWS_MINOR}")
  if(KTX_NO_CXX_RUNTIME)
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
    target_link_libraries(${target} PRIVATE ktx_cxx_library_hooks)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # The x64 C start-up's structured exception handler: msvcrt.dll exports
    # it in every x64 version; named ahead of the system libraries so the
    # import does not go to kernel32.
    target_link_libraries(${target} PRIVATE msvcrt)
  endif()
endfunction()
