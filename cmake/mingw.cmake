# Windows target built with MinGW-w64 (posix threads: GoogleTest needs std::mutex).
# The product is 32-bit; a 64-bit build of the same sources is compiled where the tests run
# emulated, so that a fault only one architecture shows still fails there, and the benchmark
# runs it natively where the kernel cannot execute 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${DIRHOARD_ARCH})
set(TOOL_PREFIX ${DIRHOARD_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOL_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOL_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
