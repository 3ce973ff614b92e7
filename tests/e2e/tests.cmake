if(WIN32)
  add_executable(e2e_tests
    ${CMAKE_CURRENT_LIST_DIR}/EndToEndTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BusyEndToEndTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TavrinDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../image/TestPictures.cpp)
  target_include_directories(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(e2e_tests PRIVATE tavrin_core gtest_main)
  target_compile_definitions(e2e_tests PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(e2e_tests tavrin waiter pnm tar)
  # Inside a Wine virtual desktop with a notification area; the runner reads
  # the results file, since the desktop does not pass the exit code on.
  add_test(NAME e2e_tests COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../run-in-desktop.sh $<TARGET_FILE:e2e_tests>)
endif()
