# Shared compile settings, carried by an INTERFACE target that every library links.
add_library(norvale_common INTERFACE)
target_compile_features(norvale_common INTERFACE cxx_std_20)
target_compile_options(norvale_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(norvale_common INTERFACE NORVALE_VERSION="${PROJECT_VERSION}")

# Warnings as errors: CI (scripts/test) turns it on; off by default, so that
# a newer compiler's new warnings don't stop someone building a release.
option(NORVALE_WERROR "Treat compiler warnings as errors" OFF)
if(NORVALE_WERROR)
    target_compile_options(norvale_common INTERFACE -Werror)
endif()

# The stricter settings of the program's own code (src/). Every target there
# links this PRIVATE (see norvale_strict_src_targets), so nothing of it
# reaches the tests, fuzzers or benchmarks that link those libraries: a
# static library passes a PRIVATE link on as link-only.
# -Wconversion as GCC has it for C++, without -Wsign-conversion (which
# clang's takes in): mixing int and unsigned is not yet kept out of this code.
add_library(norvale_strict INTERFACE)
target_compile_options(norvale_strict INTERFACE
    -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor -Wcast-qual -Wshadow
    -Wconversion -Wno-sign-conversion)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # A cast to the type the value already has hides what the code means.
    target_compile_options(norvale_strict INTERFACE -Wuseless-cast)
endif()
# Every QString of the program's own code says how its text is encoded.
# QT_NO_CONTEXTLESS_CONNECT refuses a connect() of a functor without a
# receiver object; it only does so from Qt 6.7 on (Debian 12 has 6.4, where
# it is ignored), so until then review keeps that rule.
target_compile_definitions(norvale_strict INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT)

# norvale_strict_src_targets(): links norvale_strict into every library and
# program defined in a folder under src/, at any depth. Called once all of
# src/ is added, so a library in a new folder is covered without a line of
# its own.
function(norvale_strict_src_targets)
    get_property(folders DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
    while(folders)
        list(POP_FRONT folders folder)
        get_property(below DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${below})
        if(NOT folder MATCHES "^${PROJECT_SOURCE_DIR}/src/")
            continue()
        endif()
        get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
                target_link_libraries(${target} PRIVATE norvale_strict)
            endif()
        endforeach()
    endwhile()
endfunction()

# norvale_export_folder(TARGET FOLDER [HEADERS h...]): whoever links TARGET
# may include "FOLDER/Name.h" from src/FOLDER, and nothing else of src/. Each
# library exports only its own folder, so a header of a layer above the ones
# a target links is not found: an upward include fails to build. A folder
# split into a logic and a views library names each one's HEADERS, so that
# the logic does not see the views of its own folder either.
function(norvale_export_folder target folder)
    cmake_parse_arguments(ARG "" "" "HEADERS" ${ARGN})
    if(NOT ARG_HEADERS)
        set(root ${CMAKE_BINARY_DIR}/include/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
        target_include_directories(${target} PUBLIC ${root})
        return()
    endif()
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS ARG_HEADERS)
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder}/${header} ${root}/${folder}/${header}
             SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
