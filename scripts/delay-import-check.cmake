# Checks a linked program: every delay-imported function it calls must keep
# its import stub.  This linker drops the stub of a function that is called
# straight through its import pointer (a dllimport declaration), and the
# pointer then leads to address 0: the first call would crash.
# A program whose symbols show no delay-imported function (stripped, or
# read with the other edition's names) fails: nothing could be checked.
# cmake -DNM=... -DPROGRAM=prog.exe -DDEFS="a.def;b.def" -DEDITION=x86|x64 -P delay-import-check.cmake
foreach(var NM PROGRAM DEFS EDITION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "delay-import-check.cmake: ${var} is not set")
  endif()
endforeach()
execute_process(COMMAND ${NM} ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the symbols of ${PROGRAM}")
endif()
set(delayed)
foreach(def ${DEFS})
  file(STRINGS ${def} exports REGEX "^[A-Za-z_][^ ]*$")
  list(REMOVE_ITEM exports EXPORTS)
  list(APPEND delayed ${exports})
endforeach()
# x86 symbols carry a leading underscore, x64 ones none.
if(EDITION STREQUAL "x64")
  set(underscore "")
else()
  set(underscore "_")
endif()
string(REGEX MATCHALL "[ \t]I __imp_${underscore}[^\r\n]+" pointers "${symbols}")
string(REGEX MATCHALL "[ \t]T ${underscore}[^\r\n]+" stubs "${symbols}")
list(TRANSFORM pointers REPLACE "^[ \t]I __imp_${underscore}" "")
list(TRANSFORM stubs REPLACE "^[ \t]T ${underscore}" "")
set(broken)
set(checked 0)
foreach(name ${pointers})
  list(FIND delayed "${name}" is_delayed)
  list(FIND stubs "${name}" has_stub)
  if(is_delayed GREATER -1)
    math(EXPR checked "${checked} + 1")
    if(has_stub EQUAL -1)
      list(APPEND broken ${name})
    endif()
  endif()
endforeach()
if(checked EQUAL 0)
  list(LENGTH pointers imports)
  message(FATAL_ERROR "${PROGRAM}: no delay-imported function among its ${imports} import symbols "
                      "(stripped, or not the ${EDITION} edition): nothing was checked")
endif()
if(broken)
  message(FATAL_ERROR "${PROGRAM}: delay-imported functions without their stub (called through a dllimport "
                      "declaration; build with DECLSPEC_IMPORT empty): ${broken}")
endif()
