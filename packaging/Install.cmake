# The package layout, the same for both bitnesses so that two installs into
# one prefix make the whole package:
#   bin/x86, bin/x64   Zorvel.dll, its assembly manifest, the hosts
#   include/           the generated ISurface header, the .idl and its DISPIDs
#   lib/x86, lib/x64   the type library (it names its platform)
#   docs/              README and the guide for client languages
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZORVEL_PACKAGE_ARCH x64)
  set(ZORVEL_MANIFEST_ARCH amd64)
else()
  set(ZORVEL_PACKAGE_ARCH x86)
  set(ZORVEL_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Zorvel.manifest.in
               ${CMAKE_BINARY_DIR}/packaging/Vexo.Zorvel.manifest @ONLY)

install(TARGETS Zorvel RUNTIME DESTINATION bin/${ZORVEL_PACKAGE_ARCH}
                       LIBRARY DESTINATION bin/${ZORVEL_PACKAGE_ARCH})
install(FILES ${CMAKE_BINARY_DIR}/packaging/Vexo.Zorvel.manifest DESTINATION bin/${ZORVEL_PACKAGE_ARCH})
foreach(_host LuaZorvelTest KandelTest)
  if(TARGET ${_host})
    install(TARGETS ${_host} RUNTIME DESTINATION bin/${ZORVEL_PACKAGE_ARCH})
  endif()
endforeach()
install(FILES ${ZORVEL_IDL_HEADER} ${ZORVEL_IDL_GUIDS} ${ZORVEL_IDL} ${CMAKE_SOURCE_DIR}/common/dispids.h
        DESTINATION include)
install(FILES ${ZORVEL_TLB} DESTINATION lib/${ZORVEL_PACKAGE_ARCH})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/using-zorvel.md DESTINATION docs)

# The package is a zip of one folder, zorvel-1.0, into which CPack installs
# this build and then each tree named in ZORVEL_PACKAGE_EXTRA_BUILDS (the
# win32 preset names the win64 one), so that both bitnesses land side by
# side.  `cpack --preset package` writes it to package/ in this tree.
set(ZORVEL_PACKAGE_EXTRA_BUILDS "" CACHE STRING
    "Other build trees of this project installed into the same package")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME zorvel-${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INSTALL_CMAKE_PROJECTS)
foreach(_tree IN ITEMS ${CMAKE_BINARY_DIR} ${ZORVEL_PACKAGE_EXTRA_BUILDS})
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${_tree} ${PROJECT_NAME} ALL /)
endforeach()
include(CPack)
