list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MonitorLayoutTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MonitorWallpaperTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TrayMonitorsTest.cpp)
if(WIN32)
  add_executable(fit_fill_bench ${CMAKE_CURRENT_LIST_DIR}/../bench/fit_fill_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../image/TestPictures.cpp ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp)
  target_include_directories(fit_fill_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win)
  target_link_libraries(fit_fill_bench PRIVATE tavrin_core)
endif()
