# The shipped program, driven by tests/package/run.sh (from scripts/test)
# after the installer has put it in place; not a ctest test of its own.
if(WIN32)
  add_executable(package_tests ${CMAKE_CURRENT_LIST_DIR}/PackageTest.cpp)
  target_link_libraries(package_tests PRIVATE tavrin_core gtest_main)
endif()
