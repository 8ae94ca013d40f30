# Checks that each Windows DLL of LIBRARIES exports exactly the names of
# EXPORTS, undecorated (no Name@N), and no others: the names that the
# program's loader asks for. Both lists are separated by commas.
#   cmake -D OBJDUMP=... -D LIBRARIES=a.dll,b.dll -D EXPORTS=Name,Name -P check-exports.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" wanted "${EXPORTS}")
list(SORT wanted)
string(REPLACE "," ";" libraries "${LIBRARIES}")
foreach(library IN LISTS libraries)
  execute_process(COMMAND ${OBJDUMP} -p ${library} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
  # The table's lines, "\t[   0] Name", end at the first empty line.
  string(REGEX MATCH "\n\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${headers}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exports "${table}")
  list(TRANSFORM exports REPLACE "^\\[ *[0-9]+\\] " "")
  list(SORT exports)
  if(NOT exports STREQUAL wanted)
    message(FATAL_ERROR "${library} exports\n  ${exports}\ninstead of\n  ${wanted}")
  endif()
endforeach()
