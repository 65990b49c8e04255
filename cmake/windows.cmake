# Settings of the Windows cross build (included by the top-level CMakeLists.txt).

# The C library hides M_PI and friends under -std=c++17 unless asked for them.
add_compile_definitions(_USE_MATH_DEFINES)

# Test programs run under Wine, where each start costs about 1.4 s: every
# GoogleTest program is one CTest test, run once through the emulator, instead
# of one start per case (and none at build time to list the cases).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-run)

