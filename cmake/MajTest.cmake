# maj_add_test_executable(NAME SOURCES... LIBS...)
# One GoogleTest executable per library folder. Tests run from the build folder and find fixtures through
# MAJ_SOURCE_ROOT (the project root; fixtures live in its tests/data).
function(maj_add_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} maj_testsupport GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    MAJ_SOURCE_ROOT="${MAJ_SOURCE_ROOT}"
    MAJ_BINARY_ROOT="${CMAKE_BINARY_DIR}")
  # Each test carries its executable's name as a label (ctest -L archive_tests).
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name} ${ARG_PROPERTIES})
endfunction()
