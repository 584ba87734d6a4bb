# Compiler settings shared by every target of the program and its tests.

if(DESKFLIP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # One self-contained exe: no MinGW runtime DLLs beside it, only Windows' own.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections $<$<CONFIG:MinSizeRel>:-s>)
  # Win32 "A" functions, and no min/max macros in the way of the standard library.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()

# Applies the project's warnings to one of our own targets.
function(deskflip_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  # The program's own code on Windows: one user-interface thread and no exceptions (the standard library's failures
  # and the free store end in the run time's fatal error), so the exe carries neither guarded statics nor the
  # unwinder and its thread support. Tests and tools keep both.
  if(WIN32 AND CMAKE_CURRENT_SOURCE_DIR MATCHES "^${PROJECT_SOURCE_DIR}/(app|runtime|toggle|support)(/|$)")
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-threadsafe-statics)
  endif()
endfunction()

# The program's texts are written in UTF-8 in the source and are GBK (code page 936) at run time. Only the
# files that define texts are compiled to GBK: some standard headers hold literals GBK cannot express.
function(deskflip_gbk_sources)
  set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTIES COMPILE_OPTIONS -fexec-charset=GBK)
endfunction()

# deskflip_add_test(name SOURCES... LIBS ...): one GoogleTest executable, one ctest test.
# Under Wine the exit code of a 32-bit exe that never ran can still be 0, so a Windows test passes only when
# GoogleTest itself printed its summary.
function(deskflip_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  deskflip_configure_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];WINE_HARNESS_FAILED")
  endif()
endfunction()
