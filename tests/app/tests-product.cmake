list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ProductResourcesTest.cpp)
if(WIN32)
  # The resource checks read the built program.
  list(APPEND TAVRIN_WIN_TEST_DEPENDS tavrin)
endif()
if(WIN32)
  # The test programs link the same resource script (see res/sources-resources.cmake).
  set_source_files_properties(${CMAKE_SOURCE_DIR}/res/tavrin.rc PROPERTIES OBJECT_DEPENDS "${TAVRIN_RESOURCE_INPUTS}")
endif()
