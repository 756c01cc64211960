# cmake -DREADME=<README.md> -DOUTPUT=<file> -P site_documentation.cmake
# Writes the README's sections that a site's administrators need (the package, the options of `maj`, the
# replacements at the next start) into OUTPUT, for the package's documentation.
set(wanted "^## (For site administrators|Without a window|Replacements at the next start)")
file(READ "${README}" text)
set(kept "# MAJ: notes for site administrators\n")
string(FIND "${text}" "\n## " start)
while(start GREATER -1)
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${text}" ${start} -1 text)
  # The section runs up to the next heading of its level.
  string(FIND "${text}" "\n## " start)
  if(start EQUAL -1)
    set(section "${text}")
  else()
    math(EXPR length "${start} + 1")
    string(SUBSTRING "${text}" 0 ${length} section)
  endif()
  if(section MATCHES "${wanted}")
    string(APPEND kept "\n${section}")
  endif()
endwhile()
file(WRITE "${OUTPUT}" "${kept}")
