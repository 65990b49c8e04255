# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads, as
# GoogleTest needs std::mutex). TABELLONE_WINDOWS_PREFIX names the folder the
# libraries built for Windows were installed into (scripts/windows/build-deps).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Try-compiles must see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TABELLONE_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${TABELLONE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config finds only the Windows libraries, never the host's.
if(TABELLONE_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${TABELLONE_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# One self-contained .exe: no libstdc++, libgcc or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
