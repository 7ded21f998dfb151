# The embedding tests read what a container reads from the registry (misc
# status, user type, type library, ProgID) and load the built library through
# COM, so the library is registered in the prefix before they run.  The
# registration shares the registry lock with the server's own tests, which
# unregister and register again.
if(NOT TARGET embed_tests OR NOT TARGET Zorvel)
  return()
endif()

set(_embed_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
# Windows programs take "/..." for a switch: give them the Z: path.
string(REPLACE "/" "\\" _embed_dll_windows "Z:${_embed_dll}")

add_dependencies(embed_tests Zorvel)

add_test(NAME embed_regsvr32 COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run regsvr32 /s ${_embed_dll_windows})
set_tests_properties(embed_regsvr32 PROPERTIES
  FIXTURES_SETUP embed_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(embed_tests PROPERTIES
  FIXTURES_REQUIRED embed_registered RESOURCE_LOCK zorvel_registry)
