# How ctest starts the Windows programs: through wine-run, with this build folder's own prefix
# and virtual display.
# Where the kernel cannot run 32-bit programs, scripts/lib.sh names a qemu-i386 here: Wine's own
# processes then run 64-bit in a 64-bit prefix, natively, and only the 32-bit programs (ours) run
# under qemu, which wine-run registers in a private binfmt_misc for each launch.
set(DIRHOARD_QEMU_I386 "" CACHE FILEPATH "qemu-i386 that runs the 32-bit programs; empty: natively")
if(DIRHOARD_QEMU_I386 AND NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    message(FATAL_ERROR "DIRHOARD_QEMU_I386 is for the i686 build only")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    find_program(WINE32_LOADER NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(WINE32_LOADER NAMES wine)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8 OR DIRHOARD_QEMU_I386)
    set(WINE_ARCH win64)
    find_program(WINE64_LOADER NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
    find_program(WINE64_LOADER NAMES wine64 wine)
    set(WINE_LOADER ${WINE64_LOADER})
else()
    set(WINE_ARCH win32)
    set(WINE_LOADER ${WINE32_LOADER})
endif()
# Without a loader that starts here the build only compiles and checks its binaries.
set(WINE_WORKS OFF)
if(WINE_LOADER)
    execute_process(COMMAND ${WINE_LOADER} --version RESULT_VARIABLE wine_rc
                    OUTPUT_QUIET ERROR_QUIET)
    if(wine_rc EQUAL 0)
        set(WINE_WORKS ON)
    endif()
endif()
if(DIRHOARD_QEMU_I386)
    message(STATUS "Wine tests for win32: ${WINE_WORKS}, under ${DIRHOARD_QEMU_I386}")
else()
    message(STATUS "Wine tests for ${WINE_ARCH}: ${WINE_WORKS}")
endif()
set(WINE_STATE_DIR ${CMAKE_BINARY_DIR}/wine)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
