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
