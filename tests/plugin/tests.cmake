# The plug-in host's tests: block checks natively (under the sanitizers) and
# on Windows; the host itself under Wine against real test plug-ins built here.
list(APPEND TAVRIN_PORTABLE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SusieBlocksTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapFileLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ArchiveMemberPathTest.cpp)

if(WIN32)
  list(APPEND TAVRIN_WIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TestPictures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginLoadTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginFilterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginDecodeTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScreenBitmapMemoryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginArchiveTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginEditionTest.cpp)

  # Test plug-ins: real plug-in libraries with undecorated __stdcall exports
  # (".spi" on 32-bit, ".sph" on 64-bit), all in tests/spi/; each test copies
  # the ones it needs into a folder of its own.
  set(TAVRIN_SPI_FIXTURE_DIR ${CMAKE_BINARY_DIR}/tests/spi)
  set(TAVRIN_SPI_FIXTURE_SRC ${CMAKE_CURRENT_LIST_DIR}/fixtures)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAVRIN_SPI_SUFFIX ".sph")
  else()
    set(TAVRIN_SPI_SUFFIX ".spi")
  endif()
  # The .def files name the 32-bit decorated symbols (GetPicture@28); 64-bit
  # symbols carry no decoration, so their copy drops it.
  function(tavrin_spi_def def out)
    set(source ${def})
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      get_filename_component(def_name ${def} NAME)
      file(READ ${def} text)
      string(REGEX REPLACE "=[A-Za-z_]+@[0-9]+" "" text "${text}")
      set(source ${CMAKE_BINARY_DIR}/tests/spi-def/${def_name})
      file(WRITE ${source}.new "${text}")
      configure_file(${source}.new ${source} COPYONLY)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    endif()
    set(${out} ${source} PARENT_SCOPE)
  endfunction()
  macro(tavrin_test_spi name source def)
    tavrin_spi_def(${TAVRIN_SPI_FIXTURE_SRC}/${def} _tavrin_spi_def)
    add_library(${name} SHARED ${TAVRIN_SPI_FIXTURE_SRC}/${source} ${_tavrin_spi_def})
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ${TAVRIN_SPI_SUFFIX} OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${TAVRIN_SPI_FIXTURE_DIR}
      LIBRARY_OUTPUT_DIRECTORY ${TAVRIN_SPI_FIXTURE_DIR}
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/spi-lib)
    target_compile_definitions(${name} PRIVATE ${ARGN})
    target_link_options(${name} PRIVATE -static)
    list(APPEND TAVRIN_WIN_TEST_DEPENDS ${name})
  endmacro()

  tavrin_test_spi(pnm image_spi.c image.def [[SPI_PATTERN2="*.pnm"]] [[SPI_TYPENAME2="Portable anymap"]])
  tavrin_test_spi(dup image_spi.c image.def [[SPI_PATTERN="*.PNM"]] [[SPI_TYPENAME="Duplicate anymap"]]
                  [[SPI_PATTERN2="*.pam"]] [[SPI_TYPENAME2="Arbitrary map"]])
  tavrin_test_spi(jpg image_spi.c image.def [[SPI_PATTERN="*.jpg"]] [[SPI_TYPENAME="JPEG"]])
  tavrin_test_spi(photo image_spi.c image.def SPI_PHOTO_PATTERNS)
  tavrin_test_spi(im image_spi.c image.def [[SPI_VERSION="00IM"]])
  tavrin_test_spi(xn image_spi.c image.def [[SPI_VERSION="00XN"]])
  tavrin_test_spi(short image_spi.c image.def [[SPI_VERSION="00I"]])
  tavrin_test_spi(lower image_spi.c image.def [[SPI_VERSION="00in"]])
  tavrin_test_spi(noinfo image_spi.c image_noinfo.def)
  tavrin_test_spi(two image_spi.c image.def SPI_ACCEPT_ANSWER=2)
  tavrin_test_spi(fails image_spi.c image.def SPI_DECODE_FAILS)
  tavrin_test_spi(notimpl image_spi.c image.def SPI_DECODE_FAILS SPI_DECODE_CODE=-1)
  tavrin_test_spi(noentry image_spi.c image.def SPI_NO_ENTRIES)
  tavrin_test_spi(retry image_spi.c image.def SPI_NEEDS_RETRY)
  tavrin_test_spi(badhdr image_spi.c image.def SPI_GARBAGE=1)
  tavrin_test_spi(baddepth image_spi.c image.def SPI_GARBAGE=2)
  tavrin_test_spi(badheight image_spi.c image.def SPI_GARBAGE=3)
  tavrin_test_spi(shortrows image_spi.c image.def SPI_GARBAGE=4)
  tavrin_test_spi(noblocks image_spi.c image.def SPI_GARBAGE=5)
  tavrin_test_spi(depth7 image_spi.c image.def SPI_GARBAGE=6)
  tavrin_test_spi(tar archive_spi.c archive.def)
  tavrin_test_spi(lha archive_spi.c archive.def [[SPI_PATTERN="*.lzh"]] [[SPI_TYPENAME="LHA"]])
  tavrin_test_spi(noterm archive_spi.c archive.def SPI_NO_TERMINATOR)
  tavrin_test_spi(longname archive_spi.c archive.def SPI_UNTERMINATED_NAMES)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # The two layouts public 64-bit headers give the records.
    tavrin_test_spi(tar448 archive_spi.c archive.def SPI_PADDED_FILEINFO)
    tavrin_test_spi(tar444 archive_spi.c archive.def)
    tavrin_test_spi(pnm32 image_spi.c image.def)
    tavrin_test_spi(pnm30 image_spi.c image.def SPI_PACKED_PICTUREINFO)
  endif()
endif()
