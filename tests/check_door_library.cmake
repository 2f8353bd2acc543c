cmake_minimum_required(VERSION 3.25)
# The library plug-ins import exports the host's operations and what the host's programs need of
# its services and loader, and none of the programs' own tools.
#   cmake -DLIBRARY=<libbakkesmod.so> -DNM=<nm> -P check_door_library.cmake
execute_process(COMMAND "${NM}" -D -C --defined-only "${LIBRARY}" OUTPUT_VARIABLE symbols
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read ${LIBRARY}'s symbols")
endif()
foreach(tool FileWatch stampOf PrivateCopies importsBeside missingImports isMapped memoryUse)
    if(symbols MATCHES "simhost::${tool}")
        message(FATAL_ERROR "${LIBRARY} exports simhost::${tool}, a tool of the host's programs")
    endif()
endforeach()
foreach(operation "CanvasWrapper::DrawRect" "simhost::ModuleLoader::load")
    string(FIND "${symbols}" "${operation}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${LIBRARY} does not export ${operation}")
    endif()
endforeach()
message(STATUS "${LIBRARY} exports the door and the host, without the programs' tools")
