# The private MariaDB server of a test run (scripts/testdb). CTest starts it once per run through the fixture
# `maj_test_database` and stops it at the end; a server left over by a killed run is stopped by the next start.
#
# maj_use_test_database(<test executable>)
#   Every test of the executable requires the fixture and gets MAJ_TEST_DATABASE, the file that describes the
#   server; the executable is linked with maj_testdatabase (tests/support/test_database.h). Call it after
#   maj_add_test_executable, in the same folder.
set(MAJ_TEST_DATABASE_STATE "${CMAKE_BINARY_DIR}/testdb")
set(MAJ_TEST_DATABASE_FILE "${MAJ_TEST_DATABASE_STATE}/database.env")

# The fixture's setup and cleanup tests; tests/CMakeLists.txt adds them once.
function(maj_add_test_database_fixture)
  add_test(NAME test_database_start COMMAND "${MAJ_SOURCE_ROOT}/scripts/testdb" start "${MAJ_TEST_DATABASE_STATE}" --tls)
  set_tests_properties(test_database_start PROPERTIES FIXTURES_SETUP maj_test_database TIMEOUT 180)
  add_test(NAME test_database_stop COMMAND "${MAJ_SOURCE_ROOT}/scripts/testdb" stop "${MAJ_TEST_DATABASE_STATE}")
  set_tests_properties(test_database_stop PROPERTIES FIXTURES_CLEANUP maj_test_database TIMEOUT 60)
endfunction()

function(maj_use_test_database target)
  target_link_libraries(${target} PRIVATE maj_testdatabase)
  # The tests are discovered when the executable is built; this script runs inside CTest after the discovered
  # list (<target>_TESTS) is loaded and gives each test the fixture and the variable.
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_test_database.cmake")
  file(WRITE "${script}"
    "if(DEFINED ${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES FIXTURES_REQUIRED maj_test_database\n"
    "    ENVIRONMENT_MODIFICATION \"MAJ_TEST_DATABASE=set:${MAJ_TEST_DATABASE_FILE}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
