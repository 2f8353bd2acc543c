# What the clang-cl toolchain needs from the machine, told in one message that names what
# installs it. Read by the toolchain, and by the project before project(), where a failure stops
# the configure at once instead of leading CMake on to errors about the generator.
# Only the optimised configurations: Microsoft's debug runtime (ucrtbased, the STL's debug
# checks) is neither in Wine nor in the project.
if(CMAKE_BUILD_TYPE MATCHES "^[Dd][Ee][Bb][Uu][Gg]$")
    message(FATAL_ERROR "The clang-cl presets build Release or RelWithDebInfo only, not Debug: "
        "Microsoft's debug runtime is not there to link. For a debugger, use RelWithDebInfo.")
endif()

# LLVM 16's programs by Debian's versioned names, found here once: the compiler, the linker, the
# librarian, the resource and manifest tools, and what makes and reads Windows binaries for the
# runtime's import libraries and the tests (CMAKE_DLLTOOL, CMAKE_NM, CMAKE_READOBJ). What is
# missing is told in one message, with what installs it.
set(TAVORINDEN_WINE_INCLUDE /usr/include/wine/wine CACHE PATH "Wine's C runtime and Windows headers")
set(missing)
foreach(tool TOOLCHAIN_CLANG:clang-16 CMAKE_LINKER:lld-link-16 CMAKE_AR:llvm-lib-16
        CMAKE_RC_COMPILER:llvm-rc-16 CMAKE_MT:llvm-mt-16 CMAKE_DLLTOOL:llvm-dlltool-16
        CMAKE_NM:llvm-nm-16 CMAKE_READOBJ:llvm-readobj-16)
    string(REPLACE ":" ";" tool ${tool})
    list(GET tool 0 variable)
    list(GET tool 1 program)
    find_program(${variable} ${program})
    if(NOT ${variable})
        list(APPEND missing ${program})
    endif()
endforeach()
if(NOT EXISTS ${TAVORINDEN_WINE_INCLUDE}/windows/windows.h)
    list(APPEND missing "Wine's headers (${TAVORINDEN_WINE_INCLUDE})")
endif()
if(missing)
    list(JOIN missing ", " missing)
    message(FATAL_ERROR "The Windows presets need what toolchain/windows-setup installs, and this "
        "machine lacks ${missing}: run toolchain/windows-setup, then configure again.")
endif()
