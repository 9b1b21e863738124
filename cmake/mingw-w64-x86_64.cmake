# Cross build of korrimatic.exe for 64-bit Windows with Debian's mingw-w64
# (package g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORRI_MINGW_PREFIX x86_64-w64-mingw32)
# The win32 thread model needs no pthread library at run time.
find_program(KORRI_MINGW_CXX NAMES ${KORRI_MINGW_PREFIX}-g++-win32 ${KORRI_MINGW_PREFIX}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${KORRI_MINGW_CXX})
set(CMAKE_RC_COMPILER ${KORRI_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORRI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
