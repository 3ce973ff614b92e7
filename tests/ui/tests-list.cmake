# Tests of the list-editing dialogs, through their real windows.
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/list/ModalScript.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/ListEditTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/Cp932LimitedEditTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/WallpaperEntryDialogTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/WallpaperListDialogTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/ListCommandsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list/ListImportTest.cpp)

# The dialogs inside the real program, opened from its tray menu.
if(WIN32)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/list/ListEndToEndTest.cpp)
endif()
