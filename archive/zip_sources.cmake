# The zip component (writing split archives, extracting them) in library maj_archive.
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
target_sources(maj_archive PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/zip_component.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_entry_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_extraction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_volume_set.cpp
)
target_link_libraries(maj_archive PUBLIC PkgConfig::LIBZIP)
