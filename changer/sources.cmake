# What changes the wallpaper by itself or on request: next, the automatic change and what holds it back.
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AutoChangeTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NextWallpaperOrder.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AutoChangeSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ForegroundState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperChanger.cpp)
