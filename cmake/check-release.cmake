# Checks the Windows release that cmake/make-package.cmake made and unpacked
# in package/ (the tests of cmake/packaging-windows.cmake), one PART at a time:
#   archive   the zip holds exactly the release files in one folder, its
#             config.xml is the sample, and sha256sum -c accepts the checksum
#             file beside it
#   guide     README-Windows.txt is plain ASCII with Windows line ends, has no
#             unfilled @VARIABLE@, and names only files that the release holds
#   binaries  the programs, as built (BUILT) and as released, are PE32 and
#             import only DLLs that every Windows has, and the released ones
#             tell their version in Explorer's Properties
# Run in the build folder with -D PART, VERSION, SAMPLE, BUILT, OBJDUMP and WINDRES.
cmake_minimum_required(VERSION 3.25)
set(folder flightmfd-${VERSION}-win32)
set(release package/unpacked/${folder})
set(binaries flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll)

if(PART STREQUAL "archive")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf package/${folder}.zip
                  OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\n" ";" held "${listing}")
  list(REMOVE_ITEM held "" "${folder}/")
  set(wanted ${binaries} README-Windows.txt config.xml)
  list(TRANSFORM wanted PREPEND "${folder}/")
  list(SORT held)
  list(SORT wanted)
  if(NOT held STREQUAL wanted)
    message(FATAL_ERROR "${folder}.zip holds\n  ${held}\ninstead of\n  ${wanted}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${release}/config.xml ${SAMPLE}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "the archive's config.xml differs from ${SAMPLE}")
  endif()
  # As users check a download: sha256sum -c beside the zip.
  execute_process(COMMAND sha256sum --quiet --strict -c ${folder}.zip.sha256
                  WORKING_DIRECTORY package RESULT_VARIABLE bad)
  if(bad)
    message(FATAL_ERROR "${folder}.zip.sha256 does not check the archive")
  endif()

elseif(PART STREQUAL "guide")
  set(guide ${release}/README-Windows.txt)
  # Byte by byte, as file(READ) would drop the carriage returns.
  file(READ ${guide} bytes HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
  if(" ${bytes}" MATCHES " (0[0-8e-f]|1.|7f|[89a-f].) ")
    message(FATAL_ERROR "${guide} is not plain ASCII")
  endif()
  string(REGEX MATCHALL "0a " lines "${bytes}")
  string(REGEX MATCHALL "0d 0a " crlf "${bytes}")
  list(LENGTH lines lines)
  list(LENGTH crlf crlf)
  if(lines EQUAL 0 OR NOT crlf EQUAL lines)
    message(FATAL_ERROR "${guide}: ${crlf} of ${lines} lines end in CR LF")
  endif()
  file(READ ${guide} text)
  if(text MATCHES "@[A-Z_]*@")
    message(FATAL_ERROR "${guide} holds an unfilled ${CMAKE_MATCH_0}")
  endif()
  # A name is a word that ends in a file extension (flightmfd.exe,
  # config.xml); one with slashes is a path inside the release. Named on
  # purpose, and in no release:
  #   config.xml.txt    what Notepad may make of config.xml; the guide says
  #                     how to mend it
  #   record.txt        the virtual display's record, made when the user asks
  #   DirectOutput.dll  the joystick vendor's library, in its debugger line
  #   flightmfd-<version>-win32.zip and its .sha256: the download, beside the
  #                     folder
  set(not_in_release [[^(config\.xml\.txt|record\.txt|DirectOutput\.dll|flightmfd-[0-9.]+-win32\.zip(\.sha256)?)$]])
  string(REGEX MATCHALL [[[A-Za-z0-9_][A-Za-z0-9_./-]*\.(exe|dll|xml|txt|md|zip|sha256|bat|cmd|ps1|log)([^A-Za-z0-9_]|$)]]
         names "${text}")
  list(TRANSFORM names REPLACE "[^A-Za-z0-9_]$" "")
  list(REMOVE_DUPLICATES names)
  list(REMOVE_ITEM names "")
  if(NOT names)
    message(FATAL_ERROR "${guide} names no file at all")
  endif()
  set(missing "")
  foreach(name IN LISTS names)
    if(NOT name MATCHES "${not_in_release}" AND NOT EXISTS ${release}/${name})
      list(APPEND missing ${name})
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "${guide} names files that the release does not hold: ${missing}")
  endif()

elseif(PART STREQUAL "binaries")
  # The static link leaves out the C++ runtime, the thread library and expat
  # as DLLs.
  set(system_dlls [[^(kernel32|advapi32|msvcrt|ws2_32|user32|ntdll|shell32|ole32)\.dll$]])
  foreach(binary IN ITEMS ${binaries})
    foreach(dir IN ITEMS ${BUILT} ${release})
      execute_process(COMMAND ${OBJDUMP} -p ${dir}/${binary} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
      if(NOT headers MATCHES "\nMagic[ \t]+010b[ \t]+\\(PE32\\)\n")
        message(FATAL_ERROR "${dir}/${binary} is not PE32")
      endif()
      string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${headers}")
      list(TRANSFORM dlls REPLACE "^DLL Name: " "")
      foreach(dll IN LISTS dlls)
        string(TOLOWER "${dll}" lower)
        if(NOT lower MATCHES "${system_dlls}")
          message(FATAL_ERROR "${dir}/${binary} imports ${dll}")
        endif()
      endforeach()
    endforeach()
    execute_process(COMMAND ${WINDRES} -i ${release}/${binary} -O rc OUTPUT_VARIABLE info ERROR_QUIET)
    foreach(field IN ITEMS "ProductName\", \"flightmfd\"" "ProductVersion\", \"${VERSION}\""
                           "FileVersion\", \"${VERSION}\"" "OriginalFilename\", \"${binary}\"")
      string(FIND "${info}" "VALUE \"${field}" at)
      if(at EQUAL -1)
        message(FATAL_ERROR "${binary} does not carry ${field}")
      endif()
    endforeach()
    if(NOT info MATCHES "VALUE \"FileDescription\", \"[^\"]+\"")
      message(FATAL_ERROR "${binary} has no description")
    endif()
  endforeach()

else()
  message(FATAL_ERROR "PART is '${PART}', not archive, guide or binaries")
endif()
