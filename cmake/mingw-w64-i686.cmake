# Cross-compiles for 32-bit Windows (mingw-w64, POSIX-thread variant, static runtime); the tests run
# under 32-bit Wine (scripts/wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VESK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

