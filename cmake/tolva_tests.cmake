# Registers a GoogleTest program with CTest. Natively every test case becomes its own CTest
# test; a cross-built program runs under the emulator (Wine) as ONE test, because each Wine
# start costs seconds.
include(GoogleTest)

function(tolva_register_gtest target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} ${ARGN})
  else()
    gtest_discover_tests(${target} ${ARGN})
  endif()
endfunction()
