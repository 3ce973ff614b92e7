# The picture pickers through their real windows.
if(WIN32)
  list(APPEND TAVRIN_WIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PickTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickFolderImportTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickArcFileSelectTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickBmpFileDialogTest.cpp)
endif()

# The pickers inside the real program, opened from its tray menu.
if(WIN32)
  add_executable(pick_e2e_tests
    ${CMAKE_CURRENT_LIST_DIR}/PickEndToEndTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../e2e/TavrinDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../plugin/TestPictures.cpp)
  target_include_directories(pick_e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win
    ${CMAKE_CURRENT_LIST_DIR}/../e2e ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(pick_e2e_tests PRIVATE tavrin_core gtest_main)
  target_compile_definitions(pick_e2e_tests PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(pick_e2e_tests tavrin tar pnm)
  add_test(NAME pick_e2e_tests COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../run-in-desktop.sh
    $<TARGET_FILE:pick_e2e_tests>)
endif()
