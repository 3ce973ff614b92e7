# One Tavrin per log-on, the command line, commands sent to the running Tavrin.
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteCommandTest.cpp)
