# "Next", the automatic change and the command line on the real program.
if(WIN32)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AutoChangeEndToEndTest.cpp)
endif()
