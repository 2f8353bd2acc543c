# Checks that a plug-in module shows the host exactly what the host looks for.
#
#   cmake -DMODULE=<file> -DNM=<nm> -P check_exports.cmake                  (ELF shared object)
#   cmake -DMODULE=<file> -DDUMPBIN=<dumpbin> -P check_exports.cmake        (MSVC DLL)
#   cmake -DMODULE=<file> -DREADOBJ=<llvm-readobj> -DVERSION=<version>
#         -P check_exports.cmake                                            (32-bit DLL with
#                                                                             MSVC's layout)
#
# For a DLL it also checks the export directory's own name, what the DLL imports and its
# version resource.
cmake_minimum_required(VERSION 3.25)

set(expected
    "exports"
    "getPlugin"
    "deleteMe"
    "BakkesMod::Plugin::BakkesModPlugin::BakkesModPlugin()"
    "BakkesMod::Plugin::BakkesModPlugin::BakkesModPlugin(BakkesMod::Plugin::BakkesModPlugin const&)"
    "BakkesMod::Plugin::BakkesModPlugin::BakkesModPlugin(BakkesMod::Plugin::BakkesModPlugin&&)"
    "BakkesMod::Plugin::BakkesModPlugin::~BakkesModPlugin()"
    "BakkesMod::Plugin::BakkesModPlugin::operator=(BakkesMod::Plugin::BakkesModPlugin const&)"
    "BakkesMod::Plugin::BakkesModPlugin::operator=(BakkesMod::Plugin::BakkesModPlugin&&)"
    "BakkesMod::Plugin::BakkesModPlugin::onLoad()"
    "BakkesMod::Plugin::BakkesModPlugin::onUnload()"
    "vtable for BakkesMod::Plugin::BakkesModPlugin")
# Type information for the class may come along with its table.
set(allowed
    "typeinfo for BakkesMod::Plugin::BakkesModPlugin"
    "typeinfo name for BakkesMod::Plugin::BakkesModPlugin")
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

set(exported)
if(READOBJ)
    # Every name exactly as the host looks it up: C++ members decorated the MSVC way for x86,
    # the entry points and the record plain.
    set(class "BakkesModPlugin@Plugin@BakkesMod@@")
    set(wanted
        "??0${class}QAE@XZ" "??0${class}QAE@ABV012@@Z" "??0${class}QAE@$$QAV012@@Z"
        "??1${class}QAE@XZ" "??4${class}QAEAAV012@ABV012@@Z" "??4${class}QAEAAV012@$$QAV012@@Z"
        "?onLoad@${class}UAEXXZ" "?onUnload@${class}UAEXXZ" "??_7${class}6B@"
        deleteMe exports getPlugin)
    run("${READOBJ}" --coff-exports "${MODULE}")
    string(REGEX MATCHALL "Name: [^\n]+" names "${output}")
    list(TRANSFORM names REPLACE "^Name: " "")
    list(SORT names)
    list(SORT wanted)
    if(NOT names STREQUAL wanted)
        list(JOIN names "\n  " names)
        fail("exports the wrong names:\n  ${names}")
    endif()
    # The runtime's DLLs with MSVC's layout, the host library, the system: nothing else.
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
    check_version_resource()
    list(LENGTH wanted count)
    message(STATUS "${MODULE} exports exactly the ${count} expected names and imports bakkesmod.dll, "
                   "MSVCP140.dll and VCRUNTIME140.dll")
    return()
elseif(DUMPBIN)
    # MSVC decorates C++ names its own way; the entry points and the record must stay plain.
    run("${DUMPBIN}" /nologo /exports "${MODULE}")
    if(NOT output MATCHES "following exports for Tavorinden\\.dll")
        fail("its export directory is not named 'Tavorinden.dll'")
    endif()
    string(REPLACE "\n" ";" lines "${output}")
    set(kinds)
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^ +[0-9]+ +[0-9A-Fa-f]+ +[0-9A-Fa-f]+ ([^ ]+)")
            continue()
        endif()
        set(name "${CMAKE_MATCH_1}")
        set(class "BakkesModPlugin@Plugin@BakkesMod@@")
        if(name MATCHES "^\\?\\?0${class}")
            list(APPEND kinds "constructor")
        elseif(name MATCHES "^\\?\\?1${class}")
            list(APPEND kinds "destructor")
        elseif(name MATCHES "^\\?\\?4${class}")
            list(APPEND kinds "assignment")
        elseif(name MATCHES "^\\?(onLoad|onUnload)@${class}")
            list(APPEND kinds "${CMAKE_MATCH_1}")
        elseif(name MATCHES "^\\?\\?_7${class}6B@$")
            list(APPEND kinds "vtable")
        else()
            list(APPEND kinds "${name}")
        endif()
    endforeach()
    set(wanted exports getPlugin deleteMe constructor constructor constructor destructor
        assignment assignment onLoad onUnload vtable)
    list(SORT kinds)
    list(SORT wanted)
    if(NOT kinds STREQUAL wanted)
        fail("exports the wrong names\nfound (C++ members by kind): ${kinds}\nwanted: ${wanted}")
    endif()
    list(LENGTH wanted count)
    message(STATUS "${MODULE} exports exactly the ${count} expected names, the entries undecorated")
    return()
else()
    run("${NM}" -D --defined-only -C "${MODULE}")
    string(REPLACE "\n" ";" lines "${output}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] (.+)$")
            list(APPEND exported "${CMAKE_MATCH_1}")
        endif()
    endforeach()
endif()
list(REMOVE_DUPLICATES exported)

set(unexpected ${exported})
list(REMOVE_ITEM unexpected ${expected} ${allowed})
set(missing ${expected})
list(REMOVE_ITEM missing ${exported})
if(unexpected OR missing)
    list(JOIN unexpected "\n  " unexpected)
    list(JOIN missing "\n  " missing)
    fail("exports the wrong names\nunexpected:\n  ${unexpected}\nmissing:\n  ${missing}")
endif()
list(LENGTH exported count)
message(STATUS "${MODULE} exports exactly the ${count} expected names")
