# Shared by the MinGW-w64 toolchains: DESKFLIP_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
# The -posix compilers: GoogleTest needs std::mutex, which the win32-thread model lacks.
set(CMAKE_C_COMPILER ${DESKFLIP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DESKFLIP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DESKFLIP_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DESKFLIP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every Windows binary runs under Wine through the project's harness.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-harness.sh run)
