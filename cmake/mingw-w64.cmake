# Cross build of the Windows programs with mingw-w64, shared by the toolchain files of both
# architectures, which set KV_MINGW_ARCH (x86_64 or i686) first. Programs run under Wine through
# CTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KV_MINGW_ARCH})
set(kv_mingw_triplet ${KV_MINGW_ARCH}-w64-mingw32)

# The -posix variants carry std::mutex and std::thread, which GoogleTest needs.
set(CMAKE_C_COMPILER ${kv_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kv_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${kv_mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${kv_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs start on a clean Windows with nothing beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
