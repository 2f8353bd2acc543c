cmake_minimum_required(VERSION 3.25)
# Runs `simhost check` on a module as a CI would and checks its verdict.
#   cmake [-DEMULATOR=<wine-run>] -DSIMHOST=<simhost> -DMODULE=<module> -DSTATUS=<exit status>
#         -DEXPECT=<regular expression for the output> [-DARGS=<more arguments>]
#         -P check_validator.cmake
execute_process(
    COMMAND ${EMULATOR} "${SIMHOST}" check ${ARGS} "${MODULE}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 120)
string(REPLACE "\r" "" out "${out}")
message("${out}")
if(NOT status EQUAL STATUS)
    message(FATAL_ERROR "simhost check ended with ${status}, not ${STATUS}: ${err}")
endif()
if(NOT out MATCHES "${EXPECT}")
    message(FATAL_ERROR "the report does not match '${EXPECT}'")
endif()
# Every check is reported, whatever happened to the others, and the last line sums them up.
string(REGEX MATCHALL "(^|\n)(PASS|WARN|FAIL|SKIP) " lines "${out}")
list(LENGTH lines reported)
if(NOT reported EQUAL 12)
    message(FATAL_ERROR "${reported} checks reported, not 12")
endif()
if(NOT out MATCHES "\n[0-9]+ passed, [0-9]+ failed(, [0-9]+ warnings?)?(, [0-9]+ skipped)?\n$")
    message(FATAL_ERROR "the report does not end with its summary")
endif()
