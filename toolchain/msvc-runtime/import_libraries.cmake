# import_library(<dll name> <arch> <output .lib>)
#
# An import library for one of the runtime's DLLs, made by llvm-dlltool from the module
# definition kept in definitions/<arch>/: the names the project's programs call, with x86's
# decorations. No Wine package is read, so the player's DLL is the same bytes on any machine.
# make-definitions writes those files anew; it sets TAVORINDEN_WINE_DLLS to a folder of Wine's
# DLLs, and the import library then offers every name that DLL exports
# (import_definition_from_wine).
function(import_library dll arch output)
    if(arch STREQUAL "x86")
        set(machine i386)
    else()
        set(machine i386:x86-64)
    endif()
    get_filename_component(directory ${output} DIRECTORY)
    file(MAKE_DIRECTORY ${directory})
    if(TAVORINDEN_WINE_DLLS)
        import_definition_from_wine(${dll} ${arch} ${output}.def)
        set(definition ${output}.def)
    else()
        set(definition ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/definitions/${arch}/${dll}.def)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${definition})
    endif()
    execute_process(COMMAND ${CMAKE_DLLTOOL} -m ${machine} -k -d ${definition} -l ${output}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "llvm-dlltool could not make ${output} from ${definition}")
    endif()
endfunction()

# import_definition_from_wine(<dll name> <arch> <output .def>)
#
# A module definition of every name Wine's build of the DLL exports. Wine's own .a import
# libraries hold no C++ names, so it is written from the DLL's exports; on x86 the decorated name
# a caller uses (_CxxThrowException@8, GetLastError@0) comes from Wine's .a, where it has one.
function(import_definition_from_wine dll arch output)
    set(folder ${TAVORINDEN_WINE_DLLS})
    if(NOT EXISTS ${folder}/${dll}.dll)
        message(FATAL_ERROR "${folder}/${dll}.dll is missing: TAVORINDEN_WINE_DLLS names Wine's "
                            "${arch} DLLs")
    endif()
    execute_process(COMMAND ${CMAKE_READOBJ} --coff-exports ${folder}/${dll}.dll
        OUTPUT_VARIABLE table RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot read the exports of ${folder}/${dll}.dll")
    endif()
    string(REGEX MATCHALL "Name: [^\n]+" names "${table}")
    if(arch STREQUAL "x86" AND EXISTS ${folder}/lib${dll}.a)
        # __imp__GetLastError@0 names GetLastError@0: the caller's name, less the import prefix
        # and the underscore dlltool adds back.
        execute_process(COMMAND ${CMAKE_NM} ${folder}/lib${dll}.a OUTPUT_VARIABLE symbols)
        string(REGEX MATCHALL "__imp__[A-Za-z0-9_]+@[0-9]+" decorated "${symbols}")
        foreach(symbol IN LISTS decorated)
            string(REGEX REPLACE "^__imp__(([A-Za-z0-9_]+)@[0-9]+)$" "\\2;\\1" parts "${symbol}")
            list(GET parts 0 plain)
            list(GET parts 1 caller)
            set(caller_${plain} ${caller})
        endforeach()
    endif()
    set(definition "LIBRARY ${dll}.dll\nEXPORTS\n")
    foreach(name IN LISTS names)
        string(REPLACE "Name: " "" name "${name}")
        if(name MATCHES "^[A-Za-z0-9_]+$" AND DEFINED caller_${name})
            set(name ${caller_${name}})
        endif()
        string(APPEND definition "    ${name}\n")
    endforeach()
    file(WRITE ${output} "${definition}")
endfunction()
