list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeskCal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PostChangeCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TavrinApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallPaperApplier.cpp)
