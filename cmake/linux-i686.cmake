# Cross-building tolva-render for 32-bit x86 Linux with Debian's i686 cross compiler, linked
# statically so QEMU's user-mode emulator runs it without any i386 libraries installed: the
# 32-bit frames are checked on every machine, whether or not its kernel runs 32-bit programs.
# Only the cross sysroot is searched, so the machine's own 64-bit libraries (libpng, SDL2,
# X11) are never picked up; without i386 copies of them the build leaves out the PNG and GIF
# writers and the viewer.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOLVA_LINUX_I686_PREFIX i686-linux-gnu)
set(CMAKE_C_COMPILER ${TOLVA_LINUX_I686_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOLVA_LINUX_I686_PREFIX}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVA_LINUX_I686_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386-static)
