# Cross build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread and
# GoogleTest need). Used for the core library and its tests:
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DNEVA_BUILD_GUI=OFF -DNEVA_BUILD_SIM=OFF -DNEVA_GTEST_SOURCE_DIR=/usr/src/googletest
#
# With Wine installed, ctest runs the test programs under it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NEVA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NEVA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NEVA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${NEVA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NEVA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Self-contained programs: the C++ runtime and the thread library linked in, so
# that nothing has to find MinGW's DLLs at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(NEVA_WINE NAMES wine wine64)
if(NEVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NEVA_WINE})
endif()
