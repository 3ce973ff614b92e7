list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SusieBlocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ArchiveMemberPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CArcFileEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapFileLayout.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SusieErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginCallLock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReturnedBlocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSPIPlugin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSPISupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSPIControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapFile.cpp)
# The plug-in guard's registration and assembly, one file per processor.
if(TAVRIN_EDITION STREQUAL "x64")
  list(APPEND TAVRIN_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginGuardX64.cpp)
else()
  list(APPEND TAVRIN_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginGuardX86.cpp)
endif()
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PluginStatusReport.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CFileVersionInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSPIStatusDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CSPISettingDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PluginDialogs.cpp)
