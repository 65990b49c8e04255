# Cross-building for arm64 Linux with Debian's cross compiler, against the
# arm64 libraries unpacked into TABELLONE_ARM64_SYSROOT
# (packaging/debian/arm64-sysroot); test programs run under qemu-user there.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TABELLONE_ARM64_SYSROOT)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu ${TABELLONE_ARM64_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the arm64 libraries' files, and puts the sysroot in
# front of the paths they give.
set(ENV{PKG_CONFIG_LIBDIR}
    ${TABELLONE_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${TABELLONE_ARM64_SYSROOT}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${TABELLONE_ARM64_SYSROOT})

# Headers that differ by architecture (opensslconf.h, jconfig.h) sit in the
# multiarch folder, which only the native compiler searches by itself.
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${TABELLONE_ARM64_SYSROOT}/usr/include/aarch64-linux-gnu)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${TABELLONE_ARM64_SYSROOT}/usr/include/aarch64-linux-gnu)

# The libraries the arm64 libraries need in turn are found in the sysroot too.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${TABELLONE_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu -Wl,-rpath-link,${TABELLONE_ARM64_SYSROOT}/lib/aarch64-linux-gnu")

# No run path into the sysroot in the binaries: qemu finds the libraries
# there by itself, and the packaged programs must take the board's own.
set(CMAKE_SKIP_BUILD_RPATH ON)

# Test programs (and GoogleTest's discovery) run on the arm64 loader and
# libraries of the sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L ${TABELLONE_ARM64_SYSROOT})
