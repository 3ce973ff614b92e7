# Pictures: the bitmap, the picture cache, a picture drawn in a display style, what the previews draw.
list(APPEND TAVRIN_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MonitorLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewNeed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewStoreFormat.cpp)
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CDIBitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapFileImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookDrawing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewMaker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWallBitmapList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeferredPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewDrawing.cpp)
