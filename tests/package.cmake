# The package (tests/package/): this build's half of it installed as CPack
# installs it, its contents checked, and its DLL registered per user and
# used without registration; the guide's and the README's examples run
# against the registered control.
if(NOT TARGET Zorvel)
  return()
endif()
set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_pkg_arch x64)
  set(_pkg_platform win64)
  set(_pkg_manifest_arch amd64)
else()
  set(_pkg_arch x86)
  set(_pkg_platform win32)
  set(_pkg_manifest_arch x86)
endif()
set(_pkg_dir ${CMAKE_CURRENT_BINARY_DIR}/package-${_pkg_arch})
set(_pkg_dll ${_pkg_dir}/bin/${_pkg_arch}/Zorvel.dll)
# Windows programs take "/..." for a switch: give them the Z: path.
string(REPLACE "/" "\\" _pkg_dll_windows "Z:${_pkg_dll}")

add_test(NAME package_install
  COMMAND bash -c "rm -rf \"$0\" && cmake --install \"$1\" --prefix \"$0\" >/dev/null"
          ${_pkg_dir} ${CMAKE_BINARY_DIR})
set_tests_properties(package_install PROPERTIES FIXTURES_SETUP zorvel_package)

# Reads the version resources of the package's binaries for check_package.sh.
add_executable(package_version_info ${CMAKE_CURRENT_SOURCE_DIR}/package/version_info.cpp)
target_link_libraries(package_version_info PRIVATE version)
target_link_options(package_version_info PRIVATE -mconsole -municode)
target_compile_options(package_version_info PRIVATE -Wall -Wextra)

add_test(NAME package_contents
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/check_package.sh
          --version-info $<TARGET_FILE:package_version_info> --build-dir ${CMAKE_BINARY_DIR}
          ${_pkg_dir} ${CMAKE_SOURCE_DIR} ${_pkg_arch})
set_tests_properties(package_contents PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed" FAIL_REGULAR_EXPRESSION "FAIL"
  FIXTURES_REQUIRED zorvel_package)

# Per-user registration of the package's (stripped) DLL.  The machine-wide
# registration stays as the other tests expect it; the lock keeps them from
# reading the registry while this one changes it.
add_test(NAME package_per_user_registration
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/per_user_registration.sh
          ${_wine_run} ${_pkg_dll_windows} ${_pkg_platform}
          ${CMAKE_CURRENT_BINARY_DIR}/per_user_registration)
set_tests_properties(package_per_user_registration PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed"
  FAIL_REGULAR_EXPRESSION "FAIL"
  FIXTURES_REQUIRED zorvel_package
  RESOURCE_LOCK zorvel_registry)

# The guide's C++ and VBScript examples, run against the registered control.
add_executable(guide_client ${CMAKE_CURRENT_SOURCE_DIR}/package/guide_client.cpp)
target_link_libraries(guide_client PRIVATE zorvel_common)
target_link_options(guide_client PRIVATE -mconsole)
add_dependencies(guide_client Zorvel)
add_test(NAME package_guide_cpp COMMAND guide_client)
add_test(NAME package_guide_vbs
  COMMAND ${_wine_run} cscript //nologo guide_client.vbs
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/package)
set_tests_properties(package_guide_cpp package_guide_vbs PROPERTIES
  PASS_REGULAR_EXPRESSION "script said: radius 3"
  FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(package_guide_cpp PROPERTIES PASS_REGULAR_EXPRESSION "grid 2 x 2, script said: radius 3")

# The package README's quick start: the C++ program built against the
# package's include/ the way the README builds it, and run against the
# registered control; the VBScript as it stands.  check_package.sh holds
# the README to these files.
add_test(NAME package_quickstart_cpp
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/quickstart.sh
          ${_wine_run} ${CMAKE_CXX_COMPILER} ${CMAKE_CURRENT_SOURCE_DIR}/package/quickstart.cpp
          ${_pkg_dir} ${CMAKE_CURRENT_BINARY_DIR}/quickstart)
set_tests_properties(package_quickstart_cpp PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed" FAIL_REGULAR_EXPRESSION "FAIL"
  FIXTURES_REQUIRED "zorvel_registered;zorvel_package" RESOURCE_LOCK zorvel_registry)
add_test(NAME package_quickstart_vbs
  COMMAND ${_wine_run} cscript //nologo quickstart.vbs
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/package)
set_tests_properties(package_quickstart_vbs PROPERTIES
  PASS_REGULAR_EXPRESSION "Lua said: hello from Lua"
  FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)

# Registration-free use of the package's bin/ folder through its assembly
# manifest; the build's own DLL is registered machine-wide again afterwards.
add_test(NAME package_registration_free
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/registration_free.sh
          ${_wine_run} $<TARGET_FILE:guide_client> ${_pkg_dir}/bin/${_pkg_arch} ${_pkg_manifest_arch}
          ${CMAKE_CURRENT_BINARY_DIR}/registration_free $<TARGET_FILE:Zorvel>)
set_tests_properties(package_registration_free PROPERTIES
  PASS_REGULAR_EXPRESSION "all checks passed"
  FAIL_REGULAR_EXPRESSION "FAIL"
  FIXTURES_REQUIRED zorvel_package
  RESOURCE_LOCK zorvel_registry)
