# The settings record and where DeskCal is found.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeskCal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopMenuVerb.cpp)
