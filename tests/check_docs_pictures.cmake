# Checks that the pictures the README shows are what simhost draws today.
#   cmake -DSIMHOST=<program> -DMODULE=<module> -DDOCS=<docs dir> -DWORK=<scratch dir> -P ...
file(MAKE_DIRECTORY "${WORK}")
execute_process(
    COMMAND "${SIMHOST}" --size 640x360 --frames 0
        --command draw --command "screenshot ${WORK}/cover-on.png"
        --command "cl_tavorinden 0" --command draw --command "screenshot ${WORK}/cover-off.png"
        "${MODULE}"
    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE why)
if(failed)
    message(FATAL_ERROR "simhost failed: ${why}")
endif()
foreach(picture cover-on.png cover-off.png)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
        "${WORK}/${picture}" "${DOCS}/${picture}" RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "docs/${picture} is out of date; run scripts/demo to render it again")
    endif()
endforeach()
