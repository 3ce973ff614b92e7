# The dialogs and the tray's preview window.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CArcFileSelectDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CBMPFileDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderImportDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureCacheDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListEditPickers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StyleChoices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperEntryDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperListDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HyperlinkLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ManagementDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFollowUp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSystem.cpp)
