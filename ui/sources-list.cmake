list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ListEditPickers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperEntryDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperListDialog.cpp)
