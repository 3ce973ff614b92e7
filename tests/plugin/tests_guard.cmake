# The plug-in guard: test plug-ins that fault on purpose, one for each
# export, and plug-ins that hand back blocks with a failure.
if(WIN32)
  list(APPEND TAVRIN_WIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PluginGuardTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginFaultTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginBlocksTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginFaultAppTest.cpp)

  tavrin_test_spi(fault_load fault_spi.c fault.def SPI_FAULT=1)
  tavrin_test_spi(fault_issupported fault_spi.c fault.def SPI_FAULT=2)
  tavrin_test_spi(fault_pictureinfo fault_spi.c fault.def SPI_FAULT=3)
  tavrin_test_spi(fault_picture fault_spi.c fault.def SPI_FAULT=4)
  tavrin_test_spi(fault_archiveinfo fault_spi.c fault.def SPI_FAULT=5 SPI_ARCHIVE)
  tavrin_test_spi(fault_fileinfo fault_spi.c fault.def SPI_FAULT=6 SPI_ARCHIVE)
  tavrin_test_spi(fault_getfile fault_spi.c fault.def SPI_FAULT=7 SPI_ARCHIVE)
  tavrin_test_spi(fault_config fault_spi.c fault.def SPI_FAULT=8)
  tavrin_test_spi(fault_overflow fault_spi.c fault.def SPI_FAULT=9)
  tavrin_test_spi(fault_info fault_spi.c fault.def SPI_FAULT=10)
  tavrin_test_spi(fault_magic fault_spi.c fault.def SPI_FAULT=4 [[SPI_MAGIC="FAULT"]])
  tavrin_test_spi(fault_dialog fault_spi.c fault.def SPI_FAULT=12)
  tavrin_test_spi(fault_progress fault_spi.c fault.def SPI_FAULT=11)
  tavrin_test_spi(blocks image_spi.c image.def SPI_FAILS_WITH_BLOCKS)
  tavrin_test_spi(tarblock archive_spi.c archive.def SPI_GETFILE_FAILS_WITH_BLOCK)
endif()
