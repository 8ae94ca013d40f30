# flightmfd_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# One GoogleTest executable, registered with CTest test by test.
function(flightmfd_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gmock GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    # Nothing can run here (the 32-bit Windows build): register without listing.
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120 ENVIRONMENT "FLIGHTMFD_TEST=1")
  endif()
endfunction()
