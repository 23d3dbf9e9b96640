# How the programs of a release are built (KTX_RELEASE_BUILD, set by
# scripts/dist.sh): the same source gives the same bytes whatever the build
# folder, the time or the user.
option(KTX_RELEASE_BUILD "Build the programs as released: reproducible, stripped, Linux programs static" OFF)
if(NOT KTX_RELEASE_BUILD)
  return()
endif()

# Source and build folders do not reach the programs (__FILE__ in
# assertions, paths of generated headers).
add_compile_options(
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
  "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
# No symbols and no debug sections in anything that ships.
add_link_options(-s)

if(WIN32)
  # The link time stays out of the PE header.
  add_link_options("LINKER:--no-insert-timestamp")
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # One file that runs on any distribution of the architecture: no
  # interpreter, no shared libraries, so no dependence on the C library's
  # version. (The SG_IO preload library's tests use a dynamic build.)
  add_link_options(-static)
endif()
