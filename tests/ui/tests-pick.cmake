# The picture pickers through their real windows.
if(WIN32)
  list(APPEND TAVRIN_WIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PickTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickFolderImportTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickArcFileSelectTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickBmpFileDialogTest.cpp)
endif()
