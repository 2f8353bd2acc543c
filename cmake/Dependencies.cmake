# What the build finds outside the project, found once for every folder. Header-only packages
# come from the build machine in every build, cross builds included (see CrossPackages).
include(CrossPackages)

# require_package(<Debian package> <find_package arguments>...)
#   find_package, and where it finds nothing, an error that names the Debian package to install.
function(require_package debian name)
    find_package(${name} ${ARGN} QUIET)
    if(NOT ${name}_FOUND)
        message(FATAL_ERROR "${name} not found: install Debian's ${debian} (scripts/install-deps does)")
    endif()
endfunction()

find_package(Threads REQUIRED)
require_package(libcli11-dev CLI11 CONFIG NO_CMAKE_FIND_ROOT_PATH)
require_package(nlohmann-json3-dev nlohmann_json CONFIG NO_CMAKE_FIND_ROOT_PATH)
keep_headers_apart(CLI11::CLI11 CLI)
keep_headers_apart(nlohmann_json::nlohmann_json nlohmann)
# stb ships no CMake package: its image writer and reader are found as headers.
find_path(STB_INCLUDE_DIR stb_image_write.h PATH_SUFFIXES stb NO_CMAKE_FIND_ROOT_PATH)
if(NOT STB_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image_write.h not found: install Debian's libstb-dev (scripts/install-deps does)")
endif()
if(SIMHOST_WINDOW)
    require_package(libsdl2-dev SDL2 CONFIG)
endif()
