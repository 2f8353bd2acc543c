# add_plugin_module(<name> <source>...)
#
# A module the host loads: named exactly <name> (no "lib"), linked against the host library,
# with the plug-in base class compiled in and exported. Its compile line reaches the door (host/)
# and nothing else of the host.
function(add_plugin_module name)
    add_library(${name} MODULE ${ARGN})
    target_link_libraries(${name} PRIVATE bakkesmod plugin_base project_warnings)
    # The module finds the host library in the host's process, never in the machine it was
    # built on: no RUNPATH.
    set_target_properties(${name} PROPERTIES PREFIX "" SKIP_BUILD_RPATH ON)
    if(NOT WIN32 AND NOT APPLE)
        target_link_options(${name} PRIVATE "LINKER:--no-undefined")
    endif()
endfunction()
