# The real program on two monitors (a two-screen Xephyr server).
if(WIN32)
  add_executable(monitors_e2e_tests
    ${CMAKE_CURRENT_LIST_DIR}/TwoMonitorsEndToEndTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TavrinDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../image/TestPictures.cpp)
  target_include_directories(monitors_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(monitors_e2e_tests PRIVATE tavrin_core gtest_main)
  target_compile_definitions(monitors_e2e_tests PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(monitors_e2e_tests tavrin)
  add_test(NAME monitors_e2e_tests
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run-two-monitors.sh $<TARGET_FILE:monitors_e2e_tests>)
endif()
