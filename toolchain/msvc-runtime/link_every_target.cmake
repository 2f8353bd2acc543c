# Run at the end of each project() call (clang-cl-windows.cmake names this file): builds the
# runtime's pieces once, for the top project, and makes every target defined after it link them.
# The compiler checks' own projects link nothing.
if(CMAKE_PROJECT_NAME STREQUAL "CMAKE_TRY_COMPILE" OR TARGET msvc_runtime_link)
    return()
endif()
add_subdirectory(${CMAKE_CURRENT_LIST_DIR} ${CMAKE_BINARY_DIR}/toolchain/msvc-runtime)
# In this build only: an installed package names none of it.
link_libraries($<BUILD_INTERFACE:msvc_runtime_link>)
