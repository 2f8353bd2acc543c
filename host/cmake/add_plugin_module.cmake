# add_plugin_module(<name> [EXCLUDE_FROM_ALL] <source>...)
#
# A module the host loads: named exactly <name> (no "lib"), linked against the host library, with
# the plug-in base class compiled in, and exporting only what the host looks up (the record, the
# two entries and the base class). Its compile line reaches the door and nothing else of the host.
include(${CMAKE_CURRENT_LIST_DIR}/plugin_exports.cmake)

function(add_plugin_module name)
    add_library(${name} MODULE ${ARGN})
    target_link_libraries(${name} PRIVATE bakkesmod::bakkesmod bakkesmod::plugin)
    # The module finds the host library in the host's process, never in the machine it was
    # built on: no RUNPATH.
    set_target_properties(${name} PROPERTIES PREFIX "" SKIP_BUILD_RPATH ON
        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    if(NOT WIN32 AND NOT APPLE)
        # A Windows module exports what it marks; an ELF one would also export the standard
        # library's template instances, so the list says what leaves it.
        set(export_list ${CMAKE_CURRENT_BINARY_DIR}/${name}_exports.map)
        plugin_exports_version_script(${export_list})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/plugin_exports.txt)
        target_link_options(${name} PRIVATE "LINKER:--no-undefined"
            "LINKER:--version-script=${export_list}")
        set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${export_list})
    endif()
endfunction()
