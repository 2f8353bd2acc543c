# Cross-compiles for Windows with MSVC's binary layout, on a machine without MSVC: clang in its
# cl mode, lld-link, Microsoft's open-source STL (third_party/msvc-stl) and the C runtime's
# headers from Wine (Debian's libwine-dev), with the project's fix-ups and the static part of the
# runtime (toolchain/msvc-runtime). The programs link the runtime's DLLs: MSVCP140, VCRUNTIME140
# and ucrtbase. Included by clang-cl-x86.cmake and clang-cl-x64.cmake, which set
# TAVORINDEN_WINDOWS_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)
if(TAVORINDEN_WINDOWS_ARCH STREQUAL "x86")
    set(CMAKE_SYSTEM_PROCESSOR X86)
    set(triple i686-pc-windows-msvc)
    set(arch_flags /arch:SSE2)
else()
    set(CMAKE_SYSTEM_PROCESSOR AMD64)
    set(triple x86_64-pc-windows-msvc)
    set(arch_flags)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-prerequisites.cmake)

# clang takes the cl command line when the program it runs is named clang-cl; Debian's clang 16
# has no such program, so a link named so is made here.
set(links ${CMAKE_BINARY_DIR}/toolchain-links)
file(MAKE_DIRECTORY ${links})
file(CREATE_LINK ${TOOLCHAIN_CLANG} ${links}/clang-cl SYMBOLIC)
set(CMAKE_C_COMPILER ${links}/clang-cl)
set(CMAKE_CXX_COMPILER ${links}/clang-cl)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})

# The headers: the fix-ups first, then the STL, then Wine's C runtime and Windows headers; none
# of the build machine's own.
get_filename_component(source ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(wine ${TAVORINDEN_WINE_INCLUDE})
string(JOIN " " headers
    -imsvc ${source}/toolchain/msvc-runtime/include
    -imsvc ${source}/third_party/msvc-stl/stl/inc
    -imsvc ${wine}/msvcrt
    -imsvc ${wine}/windows)
# MSVC 19.37's language and layout. The STL's vectorised algorithms do not build with clang 16
# (they change no layout); WCHAR is wchar_t, as in Microsoft's headers.
string(JOIN " " flags /X -fms-compatibility-version=19.37 ${arch_flags}
    -D_USE_STD_VECTOR_ALGORITHMS=0 -DWINE_UNICODE_NATIVE -DUSE_COMPILER_EXCEPTIONS ${headers})
set(CMAKE_C_FLAGS_INIT "${flags}")
set(CMAKE_CXX_FLAGS_INIT "${flags}")
set(CMAKE_RC_FLAGS_INIT "-I ${wine}/windows -I ${wine}/msvcrt")
# The runtime's DLLs and import libraries come from the project, not the Windows SDK's default
# list; and no manifest (nothing here embeds one).
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries every C target links")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Libraries every C++ target links")
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "/MANIFEST:NO /NODEFAULTLIB")
endforeach()

# The compiler checks build no program: what a program links is built by the project itself.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_ROOT_PATH ${CMAKE_BINARY_DIR}/packages)

# Test programs run under Wine (64-bit Wine for the x64 build), with the project's prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${source}/toolchain/wine-run)

# The project builds the runtime's static part and the import libraries (msvc-runtime/), and
# every target links them; the project's own CMakeLists.txt files need not know. So does a
# plug-in author's project built with this file.
set(TAVORINDEN_MSVC_RUNTIME ${TAVORINDEN_WINDOWS_ARCH})
set(CMAKE_PROJECT_INCLUDE ${source}/toolchain/msvc-runtime/link_every_target.cmake)
