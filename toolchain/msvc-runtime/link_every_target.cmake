# Run at the end of the project's project() call (clang-cl-windows.cmake names this file): builds
# the runtime's pieces and makes every target the project defines after it link them.
add_subdirectory(${CMAKE_CURRENT_LIST_DIR} ${CMAKE_BINARY_DIR}/toolchain/msvc-runtime)
link_libraries(msvc_runtime_link)
