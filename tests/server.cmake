# The server's tests beyond server_tests.exe: registration of the built DLL
# with the prefix's regsvr32, the entries read back with the prefix's reg, and
# script clients nobody here wrote (the prefix's cscript with VBScript and
# JScript) that create the control by its ProgID.
if(NOT TARGET server_tests OR NOT TARGET Zorvel)
  return()
endif()

set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run)
set(_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
# Windows programs take "/..." for a switch: give them the Z: path.
string(REPLACE "/" "\\" _dll_windows "Z:${_dll}")
set(_class_key "HKCR\\CLSID\\{6639E6C2-8C6C-4870-841E-714BC429FD00}")
set(_libid "{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}")

add_dependencies(server_tests Zorvel)
target_compile_definitions(server_tests PRIVATE
  ZORVEL_DLL_PATH="Z:${_dll}"
  ZORVEL_TLB_PATH="Z:${ZORVEL_TLB}")

# Everything that reads or changes the registration shares one lock: the
# registration tests unregister and register again.
add_test(NAME server_regsvr32 COMMAND ${_wine_run} regsvr32 /s ${_dll_windows})
set_tests_properties(server_regsvr32 PROPERTIES
  FIXTURES_SETUP zorvel_registered RESOURCE_LOCK zorvel_registry)
set_tests_properties(server_tests PROPERTIES
  FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)

# reg query prints "    name    REG_SZ    data" lines.  A regular expression for
# the module path as the registry holds it:
string(REPLACE "\\" "\\\\" _dll_regex "${_dll_windows}")
string(REPLACE "." "\\." _dll_regex "${_dll_regex}")
set(_eol "[\r\n]+ +")

function(zorvel_reg_query name key regex)
  add_test(NAME ${name} COMMAND ${_wine_run} reg query "${key}")
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "${regex}"
    FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)
endfunction()

zorvel_reg_query(server_reg_inproc_server "${_class_key}\\InprocServer32"
  "\\(Default\\) +REG_SZ +${_dll_regex}${_eol}ThreadingModel +REG_SZ +apartment")
zorvel_reg_query(server_reg_class "${_class_key}"
  "\\(Default\\) +REG_SZ +CSurface Object${_eol}AppID +REG_SZ +${_libid}")
zorvel_reg_query(server_reg_misc_status "${_class_key}\\MiscStatus\\1" "\\(Default\\) +REG_SZ +131473")
zorvel_reg_query(server_reg_toolbox_bitmap "${_class_key}\\ToolboxBitmap32"
  "\\(Default\\) +REG_SZ +${_dll_regex}, 1")
zorvel_reg_query(server_reg_progid "HKCR\\Vexo.Surface\\CurVer" "\\(Default\\) +REG_SZ +Vexo\\.Surface\\.1")
zorvel_reg_query(server_reg_appid "HKCR\\AppID\\Vexo.DLL" "AppID +REG_SZ +${_libid}")
zorvel_reg_query(server_reg_appid_name "HKCR\\AppID\\${_libid}" "\\(Default\\) +REG_SZ +Vexo")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_syskind win64)
else()
  set(_syskind win32)
endif()
zorvel_reg_query(server_reg_typelib "HKCR\\TypeLib\\${_libid}\\1.0\\409\\${_syskind}"
  "\\(Default\\) +REG_SZ +${_dll_regex}")

# Script clients.  cscript ends an uncaught script error with exit code 0, so
# the scripts print a verdict and the test reads it.
foreach(_client surface_client.vbs surface_client.js)
  string(REGEX REPLACE "[.]" "_" _name "client_${_client}")
  add_test(NAME ${_name} COMMAND ${_wine_run} cscript //nologo ${_client}
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/clients)
  set_tests_properties(${_name} PROPERTIES
    PASS_REGULAR_EXPRESSION "all [0-9]+ checks passed"
    FAIL_REGULAR_EXPRESSION "FAIL"
    FIXTURES_REQUIRED zorvel_registered RESOURCE_LOCK zorvel_registry)
endforeach()
