list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PreviewLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MonitorLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewStoreFormatTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CDIBitmapTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureCacheTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureCacheBudgetTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestPictures.cpp)
