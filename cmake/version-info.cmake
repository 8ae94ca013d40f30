# Version information for each file of the Windows release: product name,
# description and version, which Explorer's Properties show. The version is
# the project's one version number.
enable_language(RC)

function(flightmfd_version_info target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(version_info_type VFT_DLL)
    set(version_info_file ${target}.dll)
  else()
    set(version_info_type VFT_APP)
    set(version_info_file ${target}.exe)
  endif()
  set(version_info_name ${target})
  set(version_info_description "${description}")
  set(rc ${CMAKE_BINARY_DIR}/version-info/${target}.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version-info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

flightmfd_version_info(flightmfd "${PROJECT_DESCRIPTION}")
flightmfd_version_info(flightmfd-sim "Simulator stand-in: answers flightmfd's queries with a looping flight")
flightmfd_version_info(flightmfd-preview "Checks a flightmfd configuration and shows its pages")
flightmfd_version_info(virtualmfd "Virtual display: stands in for the joystick's display library")
