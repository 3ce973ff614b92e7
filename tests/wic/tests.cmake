# tvwic.spi: its standard C++ parts natively (under the sanitizers) and on
# Windows; the real DLL under Wine through its exports, through the host,
# and with the real tavrin.exe.
list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DeclaredSizeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExifOrientationTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PixelRowsTest.cpp
  ${CMAKE_SOURCE_DIR}/spi/wic/DeclaredSize.cpp
  ${CMAKE_SOURCE_DIR}/spi/wic/ExifOrientation.cpp
  ${CMAKE_SOURCE_DIR}/spi/wic/PixelRows.cpp
  ${CMAKE_SOURCE_DIR}/spi/wic/Signature.cpp)

if(WIN32)
  add_executable(wic_tests
    ${CMAKE_CURRENT_LIST_DIR}/TvwicApiTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvwicRobustnessTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvwicHostTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TvwicLibrary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WicPictures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PhotoLibrary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../win/TestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../e2e/TavrinDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../image/TestPictures.cpp)
  target_include_directories(wic_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../win ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(wic_tests PRIVATE tavrin_core gtest_main windowscodecs ole32 oleaut32 uuid psapi)
  target_compile_definitions(wic_tests PRIVATE
    TAVRIN_BIN_DIR="${TAVRIN_BIN_DIR}" TAVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_dependencies(wic_tests tvwic tavrin)
  # In a Wine virtual desktop, for the tray menu of the end-to-end cases.
  add_test(NAME wic_tests COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../run-in-desktop.sh $<TARGET_FILE:wic_tests>)
endif()
