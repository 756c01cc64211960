# Tests of the update check, the run, the installs and their actions (included by CMakeLists.txt).
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/install_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/install_conditions_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fichier_install_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/post_install_actions_test.cpp
)
list(APPEND ENGINE_TEST_LIBS maj_engine)
set(ENGINE_TEST_NEEDS_PENDING ON)

# Whole runs against the private test server.
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/update_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_run_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_conditions_test.cpp
)
list(APPEND ENGINE_TEST_LIBS maj_transfer maj_db)
