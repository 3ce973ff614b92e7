# The real program with a plug-in that faults.
if(WIN32)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PluginFaultEndToEndTest.cpp)
  add_dependencies(e2e_tests fault_magic)
endif()
