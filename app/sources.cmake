# Start-up, the tray window and its menu, the command run after a change.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PostChangeCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TavrinApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayWindow.cpp)
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/IconTip.cpp)
