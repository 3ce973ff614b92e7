# The help file build/bin/Tavrin.chm, compiled from the pages of help/ and the
# dialog screenshots of docs/screenshots/ (those that exist so far).
if(WIN32)
  find_program(TAVRIN_PYTHON3 python3)
  find_program(TAVRIN_CHMCMD chmcmd)
  if(TAVRIN_PYTHON3 AND TAVRIN_CHMCMD)
    file(GLOB TAVRIN_HELP_INPUTS CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/help/*.html ${CMAKE_SOURCE_DIR}/help/*.css ${CMAKE_SOURCE_DIR}/help/contents.txt
      ${CMAKE_SOURCE_DIR}/docs/screenshots/*.png)
    add_custom_command(
      OUTPUT ${TAVRIN_BIN_DIR}/Tavrin.chm
      COMMAND ${TAVRIN_PYTHON3} ${CMAKE_SOURCE_DIR}/scripts/make-help.py
              ${CMAKE_SOURCE_DIR}/help ${CMAKE_SOURCE_DIR}/docs/screenshots
              ${CMAKE_BINARY_DIR}/help ${TAVRIN_BIN_DIR}/Tavrin.chm
      DEPENDS ${TAVRIN_HELP_INPUTS} ${CMAKE_SOURCE_DIR}/scripts/make-help.py
      COMMENT "Compiling the help file Tavrin.chm"
      VERBATIM)
    add_custom_target(helpfile ALL DEPENDS ${TAVRIN_BIN_DIR}/Tavrin.chm)
  else()
    message(WARNING "python3 or chmcmd (package fp-utils) is missing: Tavrin.chm is not built")
  endif()
endif()
