# Shared compile settings, carried by an INTERFACE target that every library links.
add_library(norvale_common INTERFACE)
target_compile_features(norvale_common INTERFACE cxx_std_20)
target_compile_options(norvale_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(norvale_common INTERFACE NORVALE_VERSION="${PROJECT_VERSION}")
