# Cross-compiles for 32-bit Windows (mingw-w64, POSIX-thread variant, static runtime); the tests run
# under 32-bit Wine (scripts/wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VESK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# A 64-bit time_t, as the x86-64 build has (mingw-w64 makes it 32 bits on x86 by default): dates past
# January 2038, which a text message may carry, stay representable.
set(CMAKE_C_FLAGS_INIT "-D__MINGW_USE_VC2005_COMPAT")
set(CMAKE_CXX_FLAGS_INIT "-D__MINGW_USE_VC2005_COMPAT")
