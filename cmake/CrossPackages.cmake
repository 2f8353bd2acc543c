# Packages for a cross build, found as CMake packages like any other.
#
# keep_headers_apart(<imported target> <folder>)
#   A header-only package found on the build machine lives among that machine's own headers,
#   which a cross build must not see: the target is pointed at a folder holding only <folder>.
#
# find_target_googletest()
#   Nothing packages GoogleTest for the target, so Debian's sources (googletest) are built with
#   this build's toolchain and installed into the build tree once, at configure time, and found
#   there.

function(keep_headers_apart target folder)
    if(NOT CMAKE_CROSSCOMPILING)
        return()
    endif()
    get_target_property(includes ${target} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(include IN LISTS includes)
        if(EXISTS ${include}/${folder})
            set(apart ${PROJECT_BINARY_DIR}/headers/${folder})
            file(MAKE_DIRECTORY ${apart})
            file(CREATE_LINK ${include}/${folder} ${apart}/${folder} SYMBOLIC COPY_ON_ERROR)
            set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${apart})
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "${target}: no ${folder} folder in ${includes}")
endfunction()

function(find_target_googletest)
    set(prefix ${PROJECT_BINARY_DIR}/packages)
    set(sources /usr/src/googletest)
    if(NOT EXISTS ${prefix}/lib/cmake/GTest/GTestConfig.cmake)
        if(NOT EXISTS ${sources}/CMakeLists.txt)
            message(FATAL_ERROR "GoogleTest's sources are missing: scripts/install-deps installs them")
        endif()
        message(STATUS "Building GoogleTest for the target into ${prefix}")
        set(work ${PROJECT_BINARY_DIR}/packages-build/googletest)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -S ${sources} -B ${work} -G ${CMAKE_GENERATOR}
                    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
                    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                    -DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}
                    -DCMAKE_MSVC_RUNTIME_LIBRARY=${CMAKE_MSVC_RUNTIME_LIBRARY}
                    -DCMAKE_INSTALL_PREFIX=${prefix} -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON
                    -Dgtest_disable_pthreads=ON
            RESULT_VARIABLE configured OUTPUT_QUIET)
        if(configured EQUAL 0)
            execute_process(COMMAND ${CMAKE_COMMAND} --build ${work} --target install
                RESULT_VARIABLE built OUTPUT_QUIET)
        endif()
        if(NOT configured EQUAL 0 OR NOT built EQUAL 0)
            message(FATAL_ERROR "GoogleTest could not be built for the target (in ${work})")
        endif()
    endif()
    find_package(GTest CONFIG REQUIRED PATHS ${prefix} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endfunction()
