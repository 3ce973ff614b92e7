# The start-up benchmark and its baseline, the least tray program.
if(WIN32)
  add_executable(bare_tray WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_tray.cpp ${CMAKE_CURRENT_LIST_DIR}/bare_tray.rc)
  target_link_options(bare_tray PRIVATE -municode)
  target_link_libraries(bare_tray PRIVATE shell32)

  add_library(process_footprint STATIC ${CMAKE_CURRENT_LIST_DIR}/ProcessFootprint.cpp)
  target_include_directories(process_footprint PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
  target_link_libraries(process_footprint PUBLIC shell32 psapi)

  add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE process_footprint)
  target_compile_definitions(startup_bench PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(startup_bench tavrin bare_tray)
endif()
