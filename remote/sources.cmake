# Talking to other processes: one Tavrin per log-on, the command line, commands sent to the running one.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteCommandHandler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp)
