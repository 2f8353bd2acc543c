# The host's door as a CMake package: find_package(bakkesmod CONFIG) gives
#   bakkesmod::bakkesmod  the host library a module imports
#   bakkesmod::plugin     the door's headers, how plug-in code is compiled, the base class
#   add_plugin_module()   a module as the host loads it
include(${CMAKE_CURRENT_LIST_DIR}/bakkesmod-targets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/add_plugin_module.cmake)
