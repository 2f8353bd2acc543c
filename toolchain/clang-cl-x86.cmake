# 32-bit Windows with MSVC's layout: the build the real host loads (see clang-cl-windows.cmake).
set(TAVORINDEN_WINDOWS_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-windows.cmake)
