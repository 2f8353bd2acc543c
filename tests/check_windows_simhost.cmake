cmake_minimum_required(VERSION 3.25)
# Runs simhost.exe once as a player would (under Wine when EMULATOR is given) and checks what it
# printed and drew, with png_band_check of the same build.
#   cmake [-DEMULATOR=<wine-run>] -DSIMHOST=<simhost.exe> -DMODULE=<Tavorinden.dll>
#         -DVERSION=<version> -DBAND_CHECK=<png_band_check> -DWORK=<dir>
#         -P check_windows_simhost.cmake
file(MAKE_DIRECTORY "${WORK}")
file(REMOVE "${WORK}/shot.png")
execute_process(
    COMMAND ${EMULATOR} "${SIMHOST}" --size 1280x720 --screenshot "${WORK}/shot.png" "${MODULE}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "simhost.exe ended with ${status}: ${err}")
endif()
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT out MATCHES "^Tavorinden version: ${version_pattern}\r?\n$")
    message(FATAL_ERROR "simhost.exe printed '${out}' instead of the version line")
endif()
execute_process(COMMAND ${EMULATOR} "${BAND_CHECK}" "${WORK}/shot.png" 1280x720 on
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the screenshot of simhost.exe is wrong")
endif()

# File names beyond any code page: the module and the report are found and written by them.
set(module "${WORK}/日本語.dll")
set(report "${WORK}/報告.json")
file(REMOVE "${report}")
file(COPY_FILE "${MODULE}" "${module}")
execute_process(
    COMMAND ${EMULATOR} "${SIMHOST}" check --only opens,record --json "${report}" "${module}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "\nPASS record \\([0-9]+ ms\\): Tavorinden ")
    message(FATAL_ERROR "simhost.exe check of ${module} ended with ${status}: ${out}${err}")
endif()
if(NOT EXISTS "${report}")
    message(FATAL_ERROR "simhost.exe wrote no ${report}")
endif()
file(READ "${report}" json)
if(NOT json MATCHES "\"module\": \"[^\"]*日本語\\.dll\"")
    message(FATAL_ERROR "the report names another module: ${json}")
endif()
