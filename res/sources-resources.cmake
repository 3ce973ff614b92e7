# windres reads icons, manifest and the dialog scripts through tavrin.rc;
# rebuild the resources when any of them changes.
if(WIN32)
  file(GLOB TAVRIN_RESOURCE_INPUTS CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.manifest ${CMAKE_SOURCE_DIR}/res/*.rc
    ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.bmp ${CMAKE_SOURCE_DIR}/res/*.cur)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/res/tavrin.rc PROPERTIES OBJECT_DEPENDS "${TAVRIN_RESOURCE_INPUTS}")
endif()
