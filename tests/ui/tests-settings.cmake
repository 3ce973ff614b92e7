# The settings dialog: in this process through its real windows, and the
# real program from its tray menu; both inside a Wine virtual desktop.
if(WIN32)
  file(GLOB TAVRIN_SETTINGS_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/settings/*.cpp)
  add_executable(settings_tests ${TAVRIN_SETTINGS_TESTS}
    ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../e2e/TavrinDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../image/TestPictures.cpp
    ${CMAKE_SOURCE_DIR}/res/tavrin.rc)
  target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(settings_tests PRIVATE tavrin_core gtest_main)
  target_compile_definitions(settings_tests PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(settings_tests tavrin)
  if(TARGET mg_plain)  # a test plug-in of the management dialogs' tests
    add_dependencies(settings_tests mg_plain)
  endif()
  add_test(NAME settings_tests
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../run-in-desktop.sh $<TARGET_FILE:settings_tests>)

endif()
