# GoogleTest for cross builds, compiled from Debian's /usr/src/googletest with the cross
# compiler; it provides the same GTest::gtest and GTest::gtest_main targets that
# find_package(GTest) gives native builds. Built without our warning flags: not our code.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(TOLVA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
get_directory_property(tolva_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${TOLVA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${tolva_saved_options}")
# Test programs link statically so Wine needs no MinGW runtime DLL next to them.
set(GTest_FOUND TRUE)
