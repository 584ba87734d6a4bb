# GoogleTest: Debian's build on Linux; for the MinGW targets, built here from Debian's sources.
if(CMAKE_CROSSCOMPILING)
  set(DESKFLIP_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${DESKFLIP_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
