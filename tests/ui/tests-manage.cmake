# The management dialogs: picture cache, plug-in settings, plug-in status.
# The status report's format natively (under the sanitizers) and on Windows;
# the dialogs under Wine, driven as a user would, with test plug-ins of their own.
list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/manage/PluginStatusReportTest.cpp)

if(WIN32)
  list(APPEND TAVRIN_WIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/manage/ManageDialogDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manage/PictureCacheDialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manage/PluginSettingDialogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manage/PluginStatusTest.cpp)

  # Test plug-ins beside the host's own (tests/spi/), named mg_*.spi (mg_*.sph
  # in the 64-bit edition; TAVRIN_SPI_SUFFIX and tavrin_spi_def come from
  # tests/plugin/tests.cmake).
  set(TAVRIN_MANAGE_FIXTURES ${CMAKE_CURRENT_LIST_DIR}/fixtures)
  macro(tavrin_manage_spi name def)
    tavrin_spi_def(${TAVRIN_MANAGE_FIXTURES}/${def} _tavrin_manage_def)
    add_library(${name} SHARED ${TAVRIN_MANAGE_FIXTURES}/manage_spi.c ${_tavrin_manage_def} ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ${TAVRIN_SPI_SUFFIX} OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/spi
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/spi
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/spi-lib)
    target_link_options(${name} PRIVATE -static)
    list(APPEND TAVRIN_WIN_TEST_DEPENDS ${name})
  endmacro()

  # An image plug-in with a configuration dialog, two support entries and a
  # version resource that is only readable through the fallback languages.
  tavrin_manage_spi(mg_verfall manage_config.def ${TAVRIN_MANAGE_FIXTURES}/fallback_version.rc)
  target_compile_definitions(mg_verfall PRIVATE [[SPI_DESCRIPTION="Tavrin dialog test plug-in"]]
    [[SPI_PATTERN2="*.b"]] [[SPI_TYPENAME2="Type B"]])
  # An image plug-in without description, configuration dialog or version resource.
  tavrin_manage_spi(mg_plain manage_plain.def)
  # Archive plug-ins, one with a version resource under its own translation.
  tavrin_manage_spi(mg_arc manage_plain.def ${TAVRIN_MANAGE_FIXTURES}/own_version.rc)
  target_compile_definitions(mg_arc PRIVATE [[SPI_VERSION="00AN"]] [[SPI_DESCRIPTION="Tavrin archive test"]]
    [[SPI_PATTERN="*.arc"]] [[SPI_TYPENAME="Test archive"]])
  tavrin_manage_spi(mg_arc2 manage_plain.def)
  target_compile_definitions(mg_arc2 PRIVATE [[SPI_VERSION="00AN"]] [[SPI_DESCRIPTION="Second archive"]]
    [[SPI_PATTERN="*.ar2"]] [[SPI_TYPENAME="Test archive 2"]])
endif()

# The real program from its tray menu, in the end-to-end test program.
if(WIN32 AND TARGET e2e_tests)
  target_sources(e2e_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/manage/ManageEndToEndTest.cpp)
  add_dependencies(e2e_tests mg_verfall mg_plain mg_arc mg_arc2)
endif()
