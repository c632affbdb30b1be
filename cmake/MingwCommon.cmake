# Shared part of the MinGW-w64 toolchains. The -posix compilers provide std::thread and std::mutex.
set(CMAKE_C_COMPILER ${SONORM_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SONORM_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SONORM_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SONORM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# No libgcc/libstdc++/winpthread DLL beside the executables and DLLs (i686 code would otherwise
# need libgcc_s_dw2-1.dll).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
