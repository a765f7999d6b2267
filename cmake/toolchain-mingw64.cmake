# The same sources for 64-bit Windows, tested under 64-bit Wine. Wine's 64-bit loader is named
# directly: the wine command prefers the 32-bit one whenever it is installed, and that one
# cannot start on a kernel without 32-bit support.
set(QM_MINGW_TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
