list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PostChangeCommandTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayMenuTest.cpp)
if(WIN32)
  add_executable(waiter ${CMAKE_CURRENT_LIST_DIR}/waiter.cpp)
  target_link_options(waiter PRIVATE -municode)
  list(APPEND TAVRIN_WIN_TEST_DEPENDS waiter)
endif()
