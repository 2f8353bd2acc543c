# What the build finds outside the project, found once for every folder. Header-only packages
# come from the build machine in every build, cross builds included (see CrossPackages).
include(CrossPackages)

find_package(Threads REQUIRED)
find_package(CLI11 CONFIG REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_package(nlohmann_json CONFIG REQUIRED NO_CMAKE_FIND_ROOT_PATH)
keep_headers_apart(CLI11::CLI11 CLI)
keep_headers_apart(nlohmann_json::nlohmann_json nlohmann)
# stb ships no CMake package: its image writer and reader are found as headers.
find_path(STB_INCLUDE_DIR stb_image_write.h PATH_SUFFIXES stb REQUIRED NO_CMAKE_FIND_ROOT_PATH)
if(SIMHOST_WINDOW)
    find_package(SDL2 CONFIG REQUIRED)
endif()
