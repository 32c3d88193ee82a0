# 32-bit Windows build (the win32 preset).
set(KV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
