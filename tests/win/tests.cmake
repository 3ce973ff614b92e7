list(APPEND TAVRIN_WIN_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegistryTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppSettingsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WallPaperListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UtilitiesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayWindowTest.cpp)
