# ISurface and the type library come from one IDL file, compiled by widl:
# the header fixes the vtable order, the .tlb is embedded in the DLL.
set(ZORVEL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(ZORVEL_IDL ${CMAKE_SOURCE_DIR}/common/zorvel.idl)
set(ZORVEL_WIDL_INCLUDE /usr/include/wine/wine/windows CACHE PATH "System .idl files")
# A 64-bit library is described for SYS_WIN64, against the 64-bit stdole2.tlb.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZORVEL_WIDL_LIBDIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "stdole2.tlb")
  set(ZORVEL_WIDL_TARGET --win64)
else()
  set(ZORVEL_WIDL_LIBDIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "stdole2.tlb")
  set(ZORVEL_WIDL_TARGET --win32)
endif()
set(ZORVEL_TLB ${ZORVEL_GENERATED_DIR}/zorvel.tlb)
set(ZORVEL_IDL_HEADER ${ZORVEL_GENERATED_DIR}/zorvel_h.h)
set(ZORVEL_IDL_GUIDS ${ZORVEL_GENERATED_DIR}/zorvel_i.c)

file(MAKE_DIRECTORY ${ZORVEL_GENERATED_DIR})
set(_widl ${ZORVEL_WIDL} --nostdinc -I${ZORVEL_WIDL_INCLUDE} -I${CMAKE_SOURCE_DIR}/common -L${ZORVEL_WIDL_LIBDIR} ${ZORVEL_WIDL_TARGET})
add_custom_command(
  OUTPUT ${ZORVEL_TLB} ${ZORVEL_IDL_HEADER} ${ZORVEL_IDL_GUIDS}
  COMMAND ${_widl} -t -o ${ZORVEL_TLB} ${ZORVEL_IDL}
  COMMAND ${_widl} -h -o ${ZORVEL_IDL_HEADER} ${ZORVEL_IDL}
  COMMAND ${_widl} -u -o ${ZORVEL_IDL_GUIDS} ${ZORVEL_IDL}
  DEPENDS ${ZORVEL_IDL} ${CMAKE_SOURCE_DIR}/common/dispids.h
  COMMENT "widl common/zorvel.idl")
add_custom_target(zorvel_idl DEPENDS ${ZORVEL_TLB} ${ZORVEL_IDL_HEADER} ${ZORVEL_IDL_GUIDS})
