# Builds the PE fixtures of tests/data/pe with the MinGW resource compiler and linker into
# <build>/tests/data/pe, as target maj_pe_fixtures. Included by every test folder that reads them.
include_guard(GLOBAL)

find_program(MAJ_WINDRES_X64 x86_64-w64-mingw32-windres REQUIRED)
find_program(MAJ_LD_X64 x86_64-w64-mingw32-ld REQUIRED)
find_program(MAJ_AS_X64 x86_64-w64-mingw32-as REQUIRED)
find_program(MAJ_WINDRES_X86 i686-w64-mingw32-windres REQUIRED)
find_program(MAJ_LD_X86 i686-w64-mingw32-ld REQUIRED)

set(MAJ_PE_FIXTURE_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(MAJ_PE_FIXTURE_DIR ${CMAKE_BINARY_DIR}/tests/data/pe)
file(MAKE_DIRECTORY ${MAJ_PE_FIXTURE_DIR})
set(maj_pe_outputs)

# maj_pe_fixture(<output.dll> <source.rc> <x64|x86> [-DNAME=VALUE...]): a resource-only DLL.
function(maj_pe_fixture output rc arch)
  set(windres ${MAJ_WINDRES_X64})
  set(ld ${MAJ_LD_X64})
  if(arch STREQUAL "x86")
    set(windres ${MAJ_WINDRES_X86})
    set(ld ${MAJ_LD_X86})
  endif()
  set(object ${MAJ_PE_FIXTURE_DIR}/${output}.o)
  add_custom_command(
    OUTPUT ${MAJ_PE_FIXTURE_DIR}/${output}
    COMMAND ${windres} --preprocessor=cpp ${ARGN} -O coff -o ${object} ${MAJ_PE_FIXTURE_SOURCE}/${rc}
    COMMAND ${ld} --dll -e 0 --no-insert-timestamp -o ${MAJ_PE_FIXTURE_DIR}/${output} ${object}
    DEPENDS ${MAJ_PE_FIXTURE_SOURCE}/${rc}
    VERBATIM)
  set(maj_pe_outputs ${maj_pe_outputs} ${MAJ_PE_FIXTURE_DIR}/${output} PARENT_SCOPE)
endfunction()

maj_pe_fixture(full.dll full.rc x64)
maj_pe_fixture(full32.dll full.rc x86)
maj_pe_fixture(missing_table.dll missing_table.rc x86)
maj_pe_fixture(company_in_0409.dll company_in_0409.rc x64)
maj_pe_fixture(no_company.dll no_company.rc x64)
maj_pe_fixture(no_translation.dll no_translation.rc x64)
maj_pe_fixture(no_version.dll no_version.rc x64)
maj_pe_fixture(no_fixed_info.dll no_fixed_info.rc x64)
maj_pe_fixture(child_overflows.dll child_overflows.rc x64)
maj_pe_fixture(zero_length_child.dll zero_length_child.rc x64)
maj_pe_fixture(root_too_long.dll root_too_long.rc x64)
maj_pe_fixture(key_without_nul.dll key_without_nul.rc x64)

# kind_<type>_<subtype>.dll: type, subtype, OS and flags.
foreach(kind
    "1;5;0x10001;0x04" "2;0;0x10004;0x08" "3;0;0x20002;0x10" "3;1;0x30003;0x3F" "3;7;0x40004;0x0"
    "3;10;0x40004;0x0" "3;11;0x40004;0x0" "4;1;0x40004;0x0" "4;2;0x40004;0x0" "4;3;0x40004;0x0"
    "4;4;0x40004;0x0" "5;0;0x4;0x0" "6;0;0x40004;0x0" "7;0;0x40004;0x0" "0;0;0x40004;0x0"
    "8;2;0x40004;0x0")
  list(GET kind 0 type)
  list(GET kind 1 subtype)
  list(GET kind 2 os)
  list(GET kind 3 flags)
  maj_pe_fixture(kind_${type}_${subtype}.dll kind.rc x64
    -DKIND_TYPE=${type} -DKIND_SUBTYPE=${subtype} -DKIND_OS=${os} -DKIND_FLAGS=${flags})
endforeach()

# A PE file without any resource section: an empty object linked as a DLL.
add_custom_command(
  OUTPUT ${MAJ_PE_FIXTURE_DIR}/no_resources.dll
  COMMAND ${MAJ_AS_X64} -o ${MAJ_PE_FIXTURE_DIR}/empty.o /dev/null
  COMMAND ${MAJ_LD_X64} --dll -e 0 --no-insert-timestamp -o ${MAJ_PE_FIXTURE_DIR}/no_resources.dll
          ${MAJ_PE_FIXTURE_DIR}/empty.o
  VERBATIM)
list(APPEND maj_pe_outputs ${MAJ_PE_FIXTURE_DIR}/no_resources.dll)

# Broken copies of full.dll (see README.md).
set(maj_pe_broken
  truncated_headers truncated_resource pe_offset_past_end section_past_end data_rva_past_end
  data_size_past_end directory_count_past_end type_entry_to_root name_entry_to_itself
  language_entry_to_itself data_entry_at_root)
list(TRANSFORM maj_pe_broken PREPEND ${MAJ_PE_FIXTURE_DIR}/broken/)
list(TRANSFORM maj_pe_broken APPEND .dll)
add_custom_command(
  OUTPUT ${maj_pe_broken}
  COMMAND bash ${MAJ_PE_FIXTURE_SOURCE}/break_pe.sh ${MAJ_PE_FIXTURE_DIR}/full.dll ${MAJ_PE_FIXTURE_DIR}/broken
  DEPENDS ${MAJ_PE_FIXTURE_DIR}/full.dll ${MAJ_PE_FIXTURE_SOURCE}/break_pe.sh
  VERBATIM)

add_custom_target(maj_pe_fixtures DEPENDS ${maj_pe_outputs} ${maj_pe_broken})
