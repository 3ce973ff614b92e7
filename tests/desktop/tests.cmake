# Putting pictures on the desktop: the applier, a wallpaper per monitor, the change effect.
list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DotTransitionTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/WallPaperApplierTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorWallpaperTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChangeEffectWindowTest.cpp)
