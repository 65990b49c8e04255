# The unit tests' Windows build: POSIX headers and calls they use, mapped or
# stubbed (posix_compat.h, include/sys/), for every test target below tests/.
include_directories(BEFORE SYSTEM ${CMAKE_CURRENT_LIST_DIR}/include)
add_compile_options("SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/posix_compat.h")
