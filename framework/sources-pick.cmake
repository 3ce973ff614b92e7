# Wrappers the picture pickers brought: check list box, image list, file dialog with a template.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CheckListBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageListCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDialog.cpp)
