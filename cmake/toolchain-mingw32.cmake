# Cross build of the Windows product: 32-bit MinGW-w64. Its tests run under 32-bit Wine.
set(QM_MINGW_TARGET i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
