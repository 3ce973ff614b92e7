list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DotTransitionTest.cpp)
list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CDIBitmapTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChangeEffectWindowTest.cpp)

if(WIN32)
  # One dot step on a 1920 by 1080 image against a bare copy loop.
  add_executable(effect_bench ${CMAKE_CURRENT_LIST_DIR}/effect_bench.cpp)
  target_link_libraries(effect_bench PRIVATE tavrin_core)
endif()
