# The least tray program and the footprint reader: what the start-up test
# (and the start-up benchmark) measure tavrin.exe against.
if(WIN32)
  add_executable(bare_tray WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_tray.cpp ${CMAKE_CURRENT_LIST_DIR}/bare_tray.rc)
  target_link_options(bare_tray PRIVATE -municode)
  target_link_libraries(bare_tray PRIVATE shell32)

  add_library(process_footprint STATIC ${CMAKE_CURRENT_LIST_DIR}/ProcessFootprint.cpp)
  target_include_directories(process_footprint PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
  target_link_libraries(process_footprint PUBLIC shell32 psapi)
endif()
