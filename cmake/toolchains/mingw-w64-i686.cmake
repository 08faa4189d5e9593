# Cross build of the Windows DLL with Debian's mingw-w64 (32-bit).
set(K7730_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
