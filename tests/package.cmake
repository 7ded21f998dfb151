# Per-user registration of the built library (tests/package/).
if(NOT TARGET Zorvel)
  return()
endif()
set(_pkg_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
string(REPLACE "/" "\\" _pkg_dll_windows "Z:${_pkg_dll}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_pkg_platform win64)
else()
  set(_pkg_platform win32)
endif()
add_test(NAME package_per_user_registration
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/per_user_registration.sh
          ${CMAKE_SOURCE_DIR}/scripts/wine-run ${_pkg_dll_windows} ${_pkg_platform}
          ${CMAKE_CURRENT_BINARY_DIR}/per_user_registration)
# The machine-wide registration stays as the other tests expect it; the
# lock keeps them from reading the registry while this one changes it.
set_tests_properties(package_per_user_registration PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed"
  FAIL_REGULAR_EXPRESSION "FAIL"
  RESOURCE_LOCK zorvel_registry)

# The guide's C++ and VBScript examples, run against the registered control.
add_executable(guide_client ${CMAKE_CURRENT_SOURCE_DIR}/package/guide_client.cpp)
target_link_libraries(guide_client PRIVATE zorvel_common)
target_link_options(guide_client PRIVATE -mconsole)
add_dependencies(guide_client Zorvel)
add_test(NAME package_guide_cpp COMMAND guide_client)
add_test(NAME package_guide_vbs
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run cscript //nologo guide_client.vbs
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/package)
set_tests_properties(package_guide_cpp package_guide_vbs PROPERTIES
  PASS_REGULAR_EXPRESSION "script said: radius 3"
  FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(package_guide_cpp PROPERTIES PASS_REGULAR_EXPRESSION "grid 2 x 2, script said: radius 3")

# This build's half of the package, installed and checked.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_pkg_arch x64)
else()
  set(_pkg_arch x86)
endif()
set(_pkg_dir ${CMAKE_CURRENT_BINARY_DIR}/package-${_pkg_arch})
add_test(NAME package_contents
  COMMAND bash -c "rm -rf \"$0\" && cmake --install \"$1\" --prefix \"$0\" >/dev/null && bash \"$2\" \"$0\" \"$3\" $4"
          ${_pkg_dir} ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/package/check_package.sh
          ${CMAKE_SOURCE_DIR} ${_pkg_arch})
set_tests_properties(package_contents PROPERTIES PASS_REGULAR_EXPRESSION "all checks passed" FAIL_REGULAR_EXPRESSION "FAIL")

# Registration-free use through the assembly manifest.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_pkg_manifest_arch amd64)
else()
  set(_pkg_manifest_arch x86)
endif()
add_test(NAME package_registration_free
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/registration_free.sh
          ${CMAKE_SOURCE_DIR}/scripts/wine-run ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
          ${CMAKE_BINARY_DIR}/packaging ${_pkg_manifest_arch}
          ${CMAKE_CURRENT_BINARY_DIR}/registration_free)
set_tests_properties(package_registration_free PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed"
  FAIL_REGULAR_EXPRESSION "FAIL"
  RESOURCE_LOCK zorvel_registry)
