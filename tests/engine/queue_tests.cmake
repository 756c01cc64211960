# Tests of the publishing queue (included by CMakeLists.txt of this folder). They publish through cls_File to
# the private test server, with the helpers of the transfer tests.
list(APPEND ENGINE_TEST_SOURCES
  ${MAJ_SOURCE_ROOT}/tests/transfer/fichier64_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publishing_queue_test.cpp
)
list(APPEND ENGINE_TEST_LIBS maj_transfer maj_db)
