# Putting pictures on the desktop: the applier, the monitors, the program's own layouts, the change effect.
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DotTransition.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DesktopLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DesktopStyleValues.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorTargets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallPaperApplier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperFileStamp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChangeEffectWindow.cpp)
