# The release's version, read from the VERSION file at the root (its one
# source): KTX_RELEASE_VERSION ("1.0.0") and its numbers, and the interface
# library ktx_release_version, whose header "ktx_release_version.h" gives
# the programs KTX_RELEASE_VERSION as a string.
file(STRINGS "${PROJECT_SOURCE_DIR}/VERSION" KTX_RELEASE_VERSION LIMIT_COUNT 1)
if(NOT KTX_RELEASE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not \"${KTX_RELEASE_VERSION}\"")
endif()
set(KTX_RELEASE_VERSION_MAJOR ${CMAKE_MATCH_1})
set(KTX_RELEASE_VERSION_MINOR ${CMAKE_MATCH_2})
set(KTX_RELEASE_VERSION_PATCH ${CMAKE_MATCH_3})
# A changed VERSION configures the build anew.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/VERSION")

configure_file("${CMAKE_CURRENT_LIST_DIR}/release/ktx_release_version.h.in"
  "${CMAKE_BINARY_DIR}/release_version/ktx_release_version.h" @ONLY)
add_library(ktx_release_version INTERFACE)
target_include_directories(ktx_release_version INTERFACE "${CMAKE_BINARY_DIR}/release_version")

if(WIN32)
  enable_language(RC)
  # ktx_version_resource(TARGET DESCRIPTION): gives a Windows program a
  # version resource with the release's version, DESCRIPTION and the
  # program's file name. The dialog program keeps its own resource script.
  function(ktx_version_resource target description)
    set(KTX_RESOURCE_DESCRIPTION "${description}")
    set(KTX_RESOURCE_FILE_NAME "${target}.exe")
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    configure_file("${PROJECT_SOURCE_DIR}/cmake/release/program_version.rc.in" "${script}" @ONLY)
    # An object library of its own: the resource compiler takes none of the
    # C++ compiler's options that the program's directory adds.
    add_library(${target}_version_resource OBJECT "${script}")
    set_property(TARGET ${target}_version_resource PROPERTY COMPILE_OPTIONS "")
    target_link_libraries(${target} PRIVATE ${target}_version_resource)
  endfunction()
endif()
