# What the real program loads at start, against the least tray program.
if(WIN32)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/StartupFootprintEndToEndTest.cpp)
  target_link_libraries(e2e_tests PRIVATE process_footprint)
  add_dependencies(e2e_tests bare_tray)
endif()
