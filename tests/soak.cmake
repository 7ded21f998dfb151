# Soak tests (tests/soak): the registered control, created through
# CoCreateInstance, cycled, reloaded, scripted and rotated while the test
# watches its own memory, handles, GDI and USER objects, TLS slots and the
# temporary directory.  The suite runs short versions; scripts/soak runs the
# long ones with the counts in the environment (ZORVEL_SOAK_CYCLES,
# ZORVEL_SOAK_RELOADS, ZORVEL_SOAK_RUNS, ZORVEL_SOAK_TICKS).
if(NOT TARGET Zorvel OR NOT TARGET zorvel_container)
  return()
endif()

file(GLOB _soak_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/soak/*.cpp)
zorvel_add_win_test(soak_tests ${_soak_sources})
target_link_libraries(soak_tests PRIVATE zorvel_container zorvel_test_main psapi)
# The tests create the control through its registration, not the static copy.
add_dependencies(soak_tests Zorvel)

set(_soak_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
string(REPLACE "/" "\\" _soak_dll_windows "Z:${_soak_dll}")
add_test(NAME soak_regsvr32 COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run regsvr32 /s ${_soak_dll_windows})
set_tests_properties(soak_regsvr32 PROPERTIES
  FIXTURES_SETUP soak_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(soak_tests PROPERTIES
  FIXTURES_REQUIRED soak_registered RESOURCE_LOCK zorvel_registry LABELS soak)
