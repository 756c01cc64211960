# Tests of the zip component (included by CMakeLists.txt of this folder).
list(APPEND ARCHIVE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/zip_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_round_trip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_bad_input_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_entry_names_test.cpp
)
