# Temporary stand-ins for the foundation's platform and config sources, until they are merged.
target_sources(maj_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform_paths.cpp)
add_library(maj_config STATIC ${CMAKE_CURRENT_LIST_DIR}/config_installation.cpp)
target_link_libraries(maj_config PUBLIC maj_platform)
