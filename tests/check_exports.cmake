# Checks that a plug-in module exports exactly what the host looks for.
#   cmake -DMODULE=<file> -DNM=<nm> -P check_exports.cmake
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

execute_process(COMMAND "${NM}" -D --defined-only -C "${MODULE}"
    OUTPUT_VARIABLE table RESULT_VARIABLE failed ERROR_VARIABLE why)
if(failed)
    message(FATAL_ERROR "cannot read the export table of ${MODULE}: ${why}")
endif()

string(REPLACE "\n" ";" lines "${table}")
set(exported)
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] (.+)$")
        list(APPEND exported "${CMAKE_MATCH_1}")
    endif()
endforeach()
list(REMOVE_DUPLICATES exported)

set(unexpected ${exported})
list(REMOVE_ITEM unexpected ${expected} ${allowed})
set(missing ${expected})
list(REMOVE_ITEM missing ${exported})
if(unexpected OR missing)
    list(JOIN unexpected "\n  " unexpected)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "${MODULE} exports the wrong names\nunexpected:\n  ${unexpected}\nmissing:\n  ${missing}")
endif()
list(LENGTH exported count)
message(STATUS "${MODULE} exports exactly the ${count} expected names")
