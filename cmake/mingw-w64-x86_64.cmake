# Cross-compiles for 64-bit Windows with mingw-w64's POSIX-thread variant (std::thread and
# std::mutex need it). The C and C++ runtimes are linked statically, so the DLLs and programs need
# nothing beside them. GCC-only flags live here and in the presets, never in the CMake lists.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VESK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
