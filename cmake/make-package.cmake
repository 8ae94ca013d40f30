# The setup of the package tests: makes the build's package with cpack into
# package/ and unpacks it into package/unpacked/, as users get it. Run in the
# build folder: cmake -D GENERATOR=DEB|ZIP -P make-package.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE package)
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ${GENERATOR} -B package
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB made package/*.deb package/*.zip)
if(NOT status EQUAL 0 OR NOT made)
  message(FATAL_ERROR "cpack made no package:\n${log}")
endif()
if(GENERATOR STREQUAL "DEB")
  execute_process(COMMAND dpkg-deb -x ${made} package/unpacked COMMAND_ERROR_IS_FATAL ANY)
else()
  file(ARCHIVE_EXTRACT INPUT ${made} DESTINATION package/unpacked)
endif()
