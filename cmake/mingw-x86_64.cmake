# Cross-building the Windows saver with MinGW-w64 for x86_64. The -posix compilers are the
# ones GoogleTest builds with (std::thread and friends); Wine runs the test programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLVA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine's 64-bit loader runs a 64-bit program in place. Debian's `wine` starts the 32-bit loader
# wherever that is installed, which hands a 64-bit program on to start.exe in a second process:
# one more process to start for every test, and one that once failed to start the test at all.
find_program(TOLVA_WINE64 wine64 PATHS /usr/lib/wine NO_CACHE)
if(TOLVA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVA_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
