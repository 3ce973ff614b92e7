list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperEntryDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperListDialog.cpp)
# The pickers come with the picture picker dialogs; until those are built
# here, a stand-in picks nothing.
if(EXISTS ${CMAKE_SOURCE_DIR}/image/CBMPFileDialog.cpp AND EXISTS ${CMAKE_SOURCE_DIR}/image/FolderImportDialog.cpp
   AND EXISTS ${CMAKE_SOURCE_DIR}/plugin/CArcFileSelectDlg.cpp)
  list(APPEND TAVRIN_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ListEditPickers.cpp)
else()
  list(APPEND TAVRIN_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ListEditPickersAbsent.cpp)
endif()
