cmake_minimum_required(VERSION 3.25)
# Runs `simhost check` on a module as a CI would and checks its verdict.
#   cmake [-DEMULATOR=<wine-run>] -DSIMHOST=<simhost> -DLISTED=<what `simhost check --list` wrote>
#         -DMODULE=<module> -DSTATUS=<exit status>
#         -DEXPECT=<regular expressions, each of which the output must match, joined by "<and>",
#                  each semicolon written "<semicolon>">
#         [-DLINES=<whole lines, taken literally, the output must hold, joined by "<and>", each
#                  semicolon written "<semicolon>">]
#         [-DEXPECT_ERR=<regular expression for standard error>] [-DARGS=<more arguments, each
#                  semicolon within one written "<semicolon>">]
#         [-DCOUNT=<checks reported, all that `simhost check --list` names by default; 0 when
#                  the run does not finish>]
#         -P check_validator.cmake
# "<all>" in EXPECT stands for the number of checks `simhost check --list` names.
string(REPLACE "<semicolon>" "\\;" ARGS "${ARGS}")
execute_process(
    COMMAND ${EMULATOR} "${SIMHOST}" check ${ARGS} "${MODULE}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status TIMEOUT 120)
string(REPLACE "\r" "" out "${out}")
string(REPLACE "\r" "" err "${err}")
message("${out}")
if(NOT status EQUAL STATUS)
    message(FATAL_ERROR "simhost check ended with ${status}, not ${STATUS}: ${err}")
endif()
# How many checks there are, as simhost itself listed them (list_checks.cmake).
file(READ "${LISTED}" listed)
# One line each; descriptions may hold semicolons, so the line ends are what is counted.
# One line per check starts with its id; what it warns of is indented, and a last line says what
# a warning is.
string(REGEX MATCHALL "(^|\n)[a-z-]+  " ids "${listed}")
list(LENGTH ids all)
string(REPLACE "<all>" "${all}" EXPECT "${EXPECT}")
set(rest "${EXPECT}")
while(NOT rest STREQUAL "")
    string(FIND "${rest}" "<and>" split)
    if(split EQUAL -1)
        set(expected "${rest}")
        set(rest "")
    else()
        string(SUBSTRING "${rest}" 0 ${split} expected)
        math(EXPR split "${split} + 5")
        string(SUBSTRING "${rest}" ${split} -1 rest)
    endif()
    string(REPLACE "<semicolon>" ";" expected "${expected}")
    if(NOT out MATCHES "${expected}")
        message(FATAL_ERROR "the report does not match '${expected}'")
    endif()
endwhile()
string(REPLACE "<and>" ";" lines "${LINES}")
foreach(line IN LISTS lines)
    string(REPLACE "<semicolon>" ";" line "${line}")
    string(FIND "\n${out}" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the report has no line '${line}'")
    endif()
endforeach()
if(DEFINED EXPECT_ERR AND NOT err MATCHES "${EXPECT_ERR}")
    message(FATAL_ERROR "standard error '${err}' does not match '${EXPECT_ERR}'")
endif()
# Whatever a module wrote, every line stays one line of bounded length.
string(REGEX MATCHALL "[^\n]+" lines "${out}")
foreach(line IN LISTS lines)
    string(LENGTH "${line}" length)
    if(length GREATER 600)
        message(FATAL_ERROR "a line of ${length} characters in the report")
    endif()
endforeach()
if(NOT DEFINED COUNT)
    set(COUNT ${all})
endif()
if(COUNT EQUAL 0)
    return()
endif()
# Every check is reported, whatever happened to the others, and the last line sums them up.
string(REGEX MATCHALL "(^|\n)(PASS|WARN|FAIL|SKIP) " reported "${out}")
list(LENGTH reported reported)
if(NOT reported EQUAL COUNT)
    message(FATAL_ERROR "${reported} checks reported, not ${COUNT}")
endif()
if(NOT out MATCHES "\n[0-9]+ passed, [0-9]+ failed(, [0-9]+ warnings?)?(, [0-9]+ skipped)?\n$")
    message(FATAL_ERROR "the report does not end with its summary")
endif()
