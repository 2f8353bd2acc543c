# 64-bit Windows with MSVC's layout, whose programs 64-bit Wine runs on every machine (see
# clang-cl-windows.cmake).
set(TAVORINDEN_WINDOWS_ARCH x64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-windows.cmake)
