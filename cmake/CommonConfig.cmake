# Shared compile settings, carried by an INTERFACE target that every library links.
add_library(norvale_common INTERFACE)
target_compile_features(norvale_common INTERFACE cxx_std_20)
target_compile_options(norvale_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(norvale_common INTERFACE NORVALE_VERSION="${PROJECT_VERSION}")

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
