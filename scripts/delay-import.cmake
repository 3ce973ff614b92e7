# Makes a delay-import library for one system DLL from the toolchain's own
# import library: lists its exports (nm), writes them to a .def file and has
# dlltool build a library whose imports are resolved at the first call.
# cmake -DNM=... -DDLLTOOL=... -DEDITION=x86|x64 -DIMPORT_LIB=libX.a -DDLL=X.dll -DDEF=X.def -DOUTPUT=libX_delay.a
#   -P delay-import.cmake
foreach(var NM DLLTOOL EDITION IMPORT_LIB DLL DEF OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "delay-import.cmake: ${var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the exports of ${IMPORT_LIB}")
endif()

# On x86 every import thunk "__imp__Name@N" (stdcall) or "__imp__Name" (cdecl)
# is an export "Name@N" / "Name"; dlltool --kill-at drops the "@N" from the
# name the loader looks up.  On x64 symbols carry no leading underscore and
# no "@N": the thunk of "Name" is "__imp_Name".
if(EDITION STREQUAL "x64")
  set(thunk_prefix "__imp_")
else()
  set(thunk_prefix "__imp__")
endif()
string(REGEX MATCHALL "[ \t]I ${thunk_prefix}[A-Za-z0-9_@?$]+" thunks "${symbols}")
set(exports)
foreach(thunk ${thunks})
  string(REGEX REPLACE "^[ \t]I ${thunk_prefix}" "" name "${thunk}")
  list(APPEND exports "${name}")
endforeach()
list(REMOVE_DUPLICATES exports)
list(SORT exports)
list(LENGTH exports count)
if(count EQUAL 0)
  message(FATAL_ERROR "no exports found in ${IMPORT_LIB}")
endif()

list(JOIN exports "\n" lines)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${lines}\n")
execute_process(COMMAND ${DLLTOOL} --kill-at --input-def ${DEF} --dllname ${DLL} --output-delaylib ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dlltool could not make ${OUTPUT}")
endif()
