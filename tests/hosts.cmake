# The host tests: hosts_tests.exe runs the hosts' windows in-process on the
# linked control library, and starts the built host programs (which load the
# registered Zorvel.dll) as processes of their own.
if(NOT TARGET hosts_tests OR NOT TARGET KandelTest OR NOT TARGET LuaZorvelTest)
  return()
endif()

set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run)
set(_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
string(REPLACE "/" "\\" _dll_windows "Z:${_dll}")

target_link_libraries(hosts_tests PRIVATE kandeltest_dialog luazorveltest_form zorvel_render_job)
target_compile_definitions(hosts_tests PRIVATE
  ZORVEL_HOSTS_BIN_DIR="Z:${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
add_dependencies(hosts_tests Zorvel KandelTest LuaZorvelTest ZorvelRender)

# The host programs create the control from the registry.  Registration is
# shared with the server's tests, which unregister and register again.
add_test(NAME hosts_regsvr32 COMMAND ${_wine_run} regsvr32 /s ${_dll_windows})
set_tests_properties(hosts_regsvr32 PROPERTIES
  FIXTURES_SETUP hosts_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(hosts_tests PROPERTIES
  FIXTURES_REQUIRED hosts_registered RESOURCE_LOCK zorvel_registry)
