list(APPEND ARCHIVE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/rar_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar_list_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar_extract_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar_volumes_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar_errors_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rx_unrar_callback_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar_volume_names_test.cpp
)
