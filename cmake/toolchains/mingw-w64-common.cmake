# Shared part of the mingw-w64 toolchain files. The "-posix" compilers are
# used because only their runtime has std::mutex and std::thread; their
# threading library is linked statically, so the DLL imports system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${K7730_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${K7730_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${K7730_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${K7730_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(K7730_OBJDUMP ${K7730_MINGW_TRIPLET}-objdump)

# GCC for Windows does not align the stack to 32 or 64 bytes for spilled
# AVX registers yet still spills them with aligned moves; the assembler
# turns every aligned vector move into an unaligned one, which costs nothing
# on processors with AVX and removes the fault.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
