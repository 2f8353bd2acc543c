# Checks that a plug-in module shows the host exactly what the host looks for: the names of
# host/cmake/plugin_exports.txt as <abi> writes them, read with one of three tools.
#
#   cmake -DMODULE=<file> -DABI=itanium -DNM=<nm> -P check_exports.cmake            (ELF)
#   cmake -DMODULE=<file> -DABI=<msvc-x86|msvc-x64> -DREADOBJ=<llvm-readobj>
#         [-DVERSION=<version>] -P check_exports.cmake                             (DLL)
#   cmake -DMODULE=<file> -DABI=<msvc-x86|msvc-x64> -DDUMPBIN=<dumpbin> -P check_exports.cmake
#
# With llvm-readobj and a VERSION it also checks what the DLL imports and its version resource;
# with dumpbin, the export directory's own name.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../host/cmake/plugin_exports.cmake)

function(fail)
    string(JOIN "" message ${ARGN})
    message(FATAL_ERROR "${MODULE}: ${message}")
endfunction()

function(run)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output RESULT_VARIABLE failed
        ERROR_VARIABLE why)
    if(failed)
        fail("${ARGV0} failed: ${why}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

# The version resource's texts are UTF-16, each key followed by its value.
function(check_version_resource)
    file(STRINGS "${MODULE}" texts ENCODING UTF-16LE)
    foreach(entry "FileVersion;${VERSION}" "ProductVersion;${VERSION}"
            "OriginalFilename;Tavorinden.dll")
        string(FIND "${texts}" ";${entry};" found)
        if(found EQUAL -1)
            fail("its version resource lacks ${entry}")
        endif()
    endforeach()
endfunction()

# The runtime's DLLs with MSVC's layout, the host library, the system: nothing else.
function(check_imports)
    run("${READOBJ}" --coff-imports "${MODULE}")
    string(REGEX MATCHALL "Name: [^\n]+\.dll" imports "${output}")
    list(TRANSFORM imports REPLACE "^Name: " "")
    list(TRANSFORM imports TOLOWER)
    foreach(dll bakkesmod.dll msvcp140.dll vcruntime140.dll)
        if(NOT dll IN_LIST imports)
            fail("does not import ${dll}: ${imports}")
        endif()
    endforeach()
    list(REMOVE_ITEM imports bakkesmod.dll msvcp140.dll vcruntime140.dll ucrtbase.dll kernel32.dll)
    if(imports)
        fail("imports DLLs beside the host's, the runtime's and the system's: ${imports}")
    endif()
endfunction()

plugin_exports(wanted ABI ${ABI} KINDS entry member)
plugin_exports(allowed ABI ${ABI} KINDS extra)
set(exported)
if(READOBJ)
    run("${READOBJ}" --coff-exports "${MODULE}")
    string(REGEX MATCHALL "Name: [^\n]+" exported "${output}")
    list(TRANSFORM exported REPLACE "^Name: " "")
elseif(DUMPBIN)
    run("${DUMPBIN}" /nologo /exports "${MODULE}")
    if(NOT output MATCHES "following exports for Tavorinden\\.dll")
        fail("its export directory is not named 'Tavorinden.dll'")
    endif()
    string(REGEX MATCHALL "\n +[0-9]+ +[0-9A-Fa-f]+ +[0-9A-Fa-f]+ [^ \n]+" lines "${output}")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE ".* " "" name "${line}")
        list(APPEND exported "${name}")
    endforeach()
else()
    run("${NM}" -D --defined-only "${MODULE}")
    string(REGEX MATCHALL "[0-9a-fA-F]+ [A-Za-z] [^\n]+" lines "${output}")
    list(TRANSFORM lines REPLACE "^[0-9a-fA-F]+ [A-Za-z] " "")
    set(exported ${lines})
endif()

set(unexpected ${exported})
list(REMOVE_ITEM unexpected ${wanted} ${allowed})
set(missing ${wanted})
list(REMOVE_ITEM missing ${exported})
if(unexpected OR missing)
    list(JOIN unexpected "\n  " unexpected)
    list(JOIN missing "\n  " missing)
    fail("exports the wrong names\nunexpected:\n  ${unexpected}\nmissing:\n  ${missing}")
endif()
if(READOBJ AND VERSION)
    check_imports()
    check_version_resource()
endif()
list(LENGTH exported count)
list(LENGTH wanted needed)
message(STATUS "${MODULE} exports exactly the ${needed} names the host looks up "
               "(${count} names in all, as ${ABI} writes them)")
