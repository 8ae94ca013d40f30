# flightmfd_test(<name> SOURCES <files...> LIBRARIES <targets...>
#                [DISCOVERY <options of flightmfd_discover_tests...>])
# One GoogleTest executable, registered with CTest test by test. The Windows
# builds list and run their tests under Wine (the toolchain's emulator).

# The i686 build's tests need 32-bit Wine, which runs only where this machine
# runs 32-bit code. Elsewhere they are built but not registered, and a single
# skipped test says why, so that the test step neither fails nor passes
# silently. Asked at every configure, so FLIGHTMFD_32BIT takes effect at once.
set(flightmfd_tests_run ON)
if(CMAKE_CROSSCOMPILING AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/runs-32bit.sh RESULT_VARIABLE runs_32bit)
  if(NOT runs_32bit EQUAL 0)
    set(flightmfd_tests_run OFF)
    message(STATUS "This machine runs no 32-bit code: the tests are built, not run")
    add_test(NAME NotRun.MachineRunsNo32BitCode COMMAND ${CMAKE_COMMAND} -E false)
    set_tests_properties(NotRun.MachineRunsNo32BitCode PROPERTIES SKIP_RETURN_CODE 1)
  endif()
endif()

# The Windows release as its package tests unpack it (cmake/make-package.cmake),
# where the end-to-end tests run again.
set(flightmfd_release_folder ${CMAKE_BINARY_DIR}/package/unpacked/flightmfd-${PROJECT_VERSION}-win32)

function(flightmfd_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES;DISCOVERY")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gmock GTest::gtest_main)
  flightmfd_discover_tests(${name} ${arg_DISCOVERY})
endfunction()

# flightmfd_discover_tests(<name> [TEST_FILTER <filter>] [TEST_LIST <variable>]
#                          [PROPERTIES <test properties...>])
# Registers the tests of <name>, or those that the filter picks, where tests
# run here; each may take 120 s.
function(flightmfd_discover_tests name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  if(flightmfd_tests_run)
    # Under Wine the first listing also makes the build's Wine prefix, which
    # takes a minute or more on a busy machine.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 300 ${arg_UNPARSED_ARGUMENTS}
                         PROPERTIES TIMEOUT 120 ${arg_PROPERTIES})
  endif()
endfunction()
