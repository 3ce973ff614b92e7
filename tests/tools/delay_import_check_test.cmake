# The delay-import check passes on the real program and fails on a stripped
# copy of it, whose symbols show nothing to check.
# cmake -DNM=... -DSTRIP=... -DPROGRAM=tavrin.exe -DDEF_DIR=build/delay -DEDITION=x86|x64 -DSTRIPPED=copy.exe
#   -P delay_import_check_test.cmake
file(GLOB defs ${DEF_DIR}/*.def)
set(check_script ${CMAKE_CURRENT_LIST_DIR}/../../scripts/delay-import-check.cmake)
execute_process(COMMAND ${CMAKE_COMMAND} -DNM=${NM} -DPROGRAM=${PROGRAM} "-DDEFS=${defs}" -DEDITION=${EDITION}
                -P ${check_script} RESULT_VARIABLE real)
if(NOT real EQUAL 0)
  message(FATAL_ERROR "the check fails on ${PROGRAM} itself")
endif()
execute_process(COMMAND ${STRIP} -o ${STRIPPED} ${PROGRAM} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot strip a copy of ${PROGRAM}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DNM=${NM} -DPROGRAM=${STRIPPED} "-DDEFS=${defs}" -DEDITION=${EDITION}
                -P ${check_script} RESULT_VARIABLE stripped OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(stripped EQUAL 0)
  message(FATAL_ERROR "the check passes on the stripped ${STRIPPED}")
endif()
if(NOT said MATCHES "nothing[ \t\r\n]+was[ \t\r\n]+checked")  # CMake wraps its messages
  message(FATAL_ERROR "the check fails on the stripped copy for another reason: ${said}")
endif()
