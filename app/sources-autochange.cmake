# "Next", the automatic change and the command line.
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AutoChangeTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NextWallpaperOrder.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AutoChangeSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ForegroundState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteCommandHandler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperChanger.cpp)
