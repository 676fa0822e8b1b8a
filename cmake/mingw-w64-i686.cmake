# Cross build for 32-bit Windows, the device's word size.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Programs run under Wine's 32-bit loader when CTest starts them; without
# 32-bit Wine each test entry reports itself skipped with the reason.
set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine32.sh run)
