list(APPEND TAVRIN_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HyperlinkLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ManagementDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsFollowUp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSystem.cpp)
