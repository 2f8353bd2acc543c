# add_plugin_module(<name> <source>...)
#
# A module the host loads: named exactly <name> (no "lib"), linked against the host library,
# with the plug-in base class compiled in and exported.
function(add_plugin_module name)
    add_library(${name} MODULE ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "")
    target_link_libraries(${name} PRIVATE bakkesmod bakkesmod_plugin_base project_warnings)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT WIN32)
        # GCC's unique symbols would pin the module in memory: closing it must unload it and run
        # its static clean-up.
        target_compile_options(${name} PRIVATE -fno-gnu-unique)
    endif()
    if(NOT WIN32 AND NOT APPLE)
        target_link_options(${name} PRIVATE "LINKER:--no-undefined")
    endif()
endfunction()
