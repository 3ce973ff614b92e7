# The dialogs' shared preview drawing.
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PreviewDrawingTest.cpp)
