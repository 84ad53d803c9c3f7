# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads, the
# flavour the Windows Qt was built with). QT_MINGW_PREFIX is the folder the Qt
# for Windows was unpacked into (.../qt6-mingw); tools/build-windows.sh sets it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNSCOPE_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-windres)
set(CMAKE_AR           /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP        /usr/bin/${VARNSCOPE_MINGW_TRIPLET}-strip CACHE FILEPATH "")

# Headers, libraries and CMake packages come from MinGW and the Windows Qt only;
# programs (moc, rcc, uic) from the host, which has the same Qt version.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNSCOPE_MINGW_TRIPLET} ${QT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# ctest runs the Windows test programs under wine when it is installed.
find_program(VARNSCOPE_WINE NAMES wine wine64)
if(VARNSCOPE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNSCOPE_WINE})
endif()
