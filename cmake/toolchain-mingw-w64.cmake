# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix),
# run under Wine. The posix flavour of the compiler is the one with std::thread
# and std::mutex (over winpthreads). Everything is linked statically, so the
# programs need no MinGW DLL beside them, in Wine or on a Windows machine.
#
#   cmake --preset windows        (scripts/test-windows does this and more)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(vk47_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${vk47_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${vk47_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${vk47_mingw}-windres)

# Headers and libraries of the target only; programs (python3, bash) of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${vk47_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthreads inside each executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest and CMake start the test programs through Wine. Tests set WINEPREFIX
# (see tests/CMakeLists.txt), so they never touch the user's ~/.wine.
find_program(VK47_WINE wine)
if(VK47_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VK47_WINE})
endif()
