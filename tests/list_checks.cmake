cmake_minimum_required(VERSION 3.25)
# Lists the checks simhost names, once for every validator case that counts them: under Wine each
# start of simhost is a whole process to start and end, and most cases would start a second one
# only to ask this.
#   cmake [-DEMULATOR=<wine-run>] -DSIMHOST=<simhost> -DLISTED=<file to write> -P list_checks.cmake
file(REMOVE "${LISTED}")
execute_process(
    COMMAND ${EMULATOR} "${SIMHOST}" check --list
    OUTPUT_VARIABLE listed ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "simhost check --list ended with ${status}: ${err}")
endif()
file(WRITE "${LISTED}" "${listed}")
