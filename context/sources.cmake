# The settings, the list and the picture cache, given to every dialog.
list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AppContext.cpp)
