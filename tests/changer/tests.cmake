# Next, the automatic change and what holds it back.
list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/NextWallpaperOrderTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/WallpaperChangerTest.cpp)
if(WIN32)
  # Another program's window in front of the tests' tray window.
  add_executable(front_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/front_window.cpp)
  target_link_options(front_window PRIVATE -municode)
  list(APPEND TAVRIN_WIN_TEST_DEPENDS front_window)
endif()
