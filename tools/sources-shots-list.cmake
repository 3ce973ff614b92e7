# The picture maker for the list-editing dialogs (scripts/screenshots.d/list.sh).
# Made at the end of the top directory, so the program's compile and link
# settings (code page 932 literals, static run-time) apply to it as well.
function(tavrin_add_shots_list)
  add_executable(shots-list WIN32 ${CMAKE_SOURCE_DIR}/tools/shots_list.cpp ${CMAKE_SOURCE_DIR}/tools/ShotSupport.cpp ${CMAKE_SOURCE_DIR}/res/tavrin.rc)
  target_link_libraries(shots-list PRIVATE tavrin_core)
  target_link_options(shots-list PRIVATE -municode)
  set_target_properties(shots-list PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVRIN_BIN_DIR})
endfunction()
if(WIN32)
  cmake_language(DEFER CALL tavrin_add_shots_list)
endif()
