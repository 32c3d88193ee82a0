# 64-bit Windows build (the win64 preset).
set(KV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
