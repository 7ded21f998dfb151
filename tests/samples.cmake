# The samples of samples/, run against the registered control as a user runs
# them, each checked against the whole of its standard output
# (samples/*/expected-output.txt); the picture samples' files are read back,
# and the C++ samples are built once more with the g++ line of their header
# (and -Wall -Wextra -Werror).
#
# This file is also the tests' checker: CTest runs it as
#   cmake -DCHECK=output -DEXPECTED=FILE [-DBMP=FILE | -DPNGS=FILE,...] [-DWIDTH=W -DHEIGHT=H]
#         -P samples.cmake -- COMMAND...
#   cmake -DCHECK=build -DCXX=COMPILER -DGENERATED=DIR -DWORK=DIR -P samples.cmake -- SOURCE...
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_policy(VERSION 3.20)
  set(_args)
  set(_after_dashes FALSE)
  math(EXPR _last "${CMAKE_ARGC} - 1")
  foreach(_i RANGE ${_last})
    if(_after_dashes)
      list(APPEND _args "${CMAKE_ARGV${_i}}")
    elseif("${CMAKE_ARGV${_i}}" STREQUAL "--")
      set(_after_dashes TRUE)
    endif()
  endforeach()

  # A little-endian number of SIZE bytes at OFFSET of FILE.
  function(read_le file offset size out)
    file(READ "${file}" _hex OFFSET ${offset} LIMIT ${size} HEX)
    set(_value "")
    foreach(_byte RANGE 1 ${size})
      string(SUBSTRING "${_hex}" 0 2 _low)
      string(SUBSTRING "${_hex}" 2 -1 _hex)
      set(_value "${_low}${_value}")
    endforeach()
    math(EXPR _value "0x${_value}")
    set(${out} ${_value} PARENT_SCOPE)
  endfunction()

  if(CHECK STREQUAL "output")
    string(REPLACE "," ";" PNGS "${PNGS}")
    if(BMP OR PNGS)
      file(REMOVE ${BMP} ${PNGS})  # no picture of an earlier run can pass
    endif()
    # execute_process turns each CR LF into LF; a stray CR stays, and fails.
    execute_process(COMMAND ${_args} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
    file(READ "${EXPECTED}" _expected)
    if(NOT _rc STREQUAL "0" OR NOT _out STREQUAL _expected)
      message(FATAL_ERROR "FAIL: exit code ${_rc}\n--- output:\n${_out}--- expected:\n${_expected}--- errors:\n${_err}")
    endif()
    if(BMP)
      # A bottom-up 32-bit .bmp: file header, info header, then the rows.
      if(NOT EXISTS "${BMP}")
        message(FATAL_ERROR "FAIL: no ${BMP}")
      endif()
      file(SIZE "${BMP}" _size)
      math(EXPR _want "14 + 40 + ${WIDTH} * ${HEIGHT} * 4")
      file(READ "${BMP}" _magic LIMIT 2)
      read_le("${BMP}" 10 4 _bits_at)
      read_le("${BMP}" 18 4 _width)
      read_le("${BMP}" 22 4 _height)
      read_le("${BMP}" 28 2 _depth)
      if(NOT _magic STREQUAL "BM" OR NOT _size EQUAL _want OR NOT _bits_at EQUAL 54 OR
         NOT _width EQUAL WIDTH OR NOT _height EQUAL HEIGHT OR NOT _depth EQUAL 32)
        message(FATAL_ERROR "FAIL: ${BMP} is '${_magic}', ${_size} bytes (want ${_want}), bits at ${_bits_at}, "
                            "${_width} x ${_height} x ${_depth}")
      endif()
      # The middle row, one BGRX pixel in eight hex digits each.
      math(EXPR _row_at "54 + (${HEIGHT} / 2) * ${WIDTH} * 4")
      math(EXPR _row_bytes "${WIDTH} * 4")
      file(READ "${BMP}" _row OFFSET ${_row_at} LIMIT ${_row_bytes} HEX)
      math(EXPR _middle "(${WIDTH} / 2) * 8")
      string(SUBSTRING "${_row}" ${_middle} 6 _centre)
      # Black is the background.  A grid whose data the first draw dropped
      # (no Refresh) is flat and draws in one shade; the filled one in many.
      set(_shades)
      math(EXPR _count "${WIDTH} - 1")
      foreach(_x RANGE 0 ${_count})
        math(EXPR _at "${_x} * 8")
        string(SUBSTRING "${_row}" ${_at} 6 _pixel)
        list(APPEND _shades ${_pixel})
      endforeach()
      list(REMOVE_DUPLICATES _shades)
      list(REMOVE_ITEM _shades 000000)
      list(LENGTH _shades _shade_count)
      if(_centre STREQUAL "000000" OR _shade_count LESS 10)
        message(FATAL_ERROR "FAIL: the middle pixel is ${_centre} (BGR), the middle row has ${_shade_count} shades")
      endif()
    endif()
    # Each PNG: the signature, the IHDR chunk first with the width and the
    # height (big-endian), and the IEND chunk last (its length, type, CRC).
    foreach(_png ${PNGS})
      if(NOT EXISTS "${_png}")
        message(FATAL_ERROR "FAIL: no ${_png}")
      endif()
      file(SIZE "${_png}" _size)
      file(READ "${_png}" _head LIMIT 24 HEX)
      string(SUBSTRING "${_head}" 0 32 _signature)
      string(SUBSTRING "${_head}" 32 8 _width_hex)
      string(SUBSTRING "${_head}" 40 8 _height_hex)
      math(EXPR _width "0x${_width_hex}")
      math(EXPR _height "0x${_height_hex}")
      math(EXPR _end_at "${_size} - 12")
      file(READ "${_png}" _end OFFSET ${_end_at} LIMIT 8 HEX)
      if(NOT _signature STREQUAL "89504e470d0a1a0a0000000d49484452" OR
         NOT _width EQUAL WIDTH OR NOT _height EQUAL HEIGHT OR NOT _end STREQUAL "0000000049454e44")
        message(FATAL_ERROR "FAIL: ${_png} starts ${_head}, ends ${_end} (${_size} bytes): "
                            "${_width} x ${_height}, want ${WIDTH} x ${HEIGHT}")
      endif()
    endforeach()
  elseif(CHECK STREQUAL "build")
    # Each source's "//   g++ ..." line, run with this build's compiler in a
    # folder laid out as the package's: the source beside include/.
    file(REMOVE_RECURSE "${WORK}")
    file(COPY "${GENERATED}/zorvel_h.h" "${GENERATED}/zorvel_i.c" DESTINATION "${WORK}/include")
    foreach(_source ${_args})
      get_filename_component(_name "${_source}" NAME)
      file(COPY "${_source}" DESTINATION "${WORK}")
      file(STRINGS "${_source}" _line REGEX "^//   g\\+\\+ ")
      list(LENGTH _line _lines)
      if(NOT _lines EQUAL 1)
        message(FATAL_ERROR "FAIL: ${_name} has ${_lines} g++ lines")
      endif()
      string(REGEX REPLACE "^//   g\\+\\+ " "" _line "${_line}")
      separate_arguments(_line UNIX_COMMAND "${_line}")
      execute_process(COMMAND "${CXX}" ${_line} -Wall -Wextra -Werror WORKING_DIRECTORY "${WORK}"
                      RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
      if(NOT _rc STREQUAL "0")
        message(FATAL_ERROR "FAIL: the g++ line of ${_name}:\n${_out}")
      endif()
      message(STATUS "built ${_name}")
    endforeach()
  else()
    message(FATAL_ERROR "FAIL: CHECK=${CHECK}")
  endif()
  return()
endif()

if(NOT TARGET Zorvel OR NOT TARGET sample_client)
  return()
endif()

set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run)
set(_samples ${CMAKE_SOURCE_DIR}/samples)
set(_dll ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Zorvel.dll)
string(REPLACE "/" "\\" _dll_windows "Z:${_dll}")
set(_checker ${CMAKE_CURRENT_LIST_FILE})
set(_run_dir ${CMAKE_CURRENT_BINARY_DIR}/samples)
file(MAKE_DIRECTORY ${_run_dir})

# The samples create the control from the registry, which the server's tests
# unregister and register again.
add_test(NAME samples_regsvr32 COMMAND ${_wine_run} regsvr32 /s ${_dll_windows})
set_tests_properties(samples_regsvr32 PROPERTIES
  FIXTURES_SETUP samples_registered RESOURCE_LOCK zorvel_registry)

# zorvel_sample_test(NAME FOLDER [WORKING_DIRECTORY DIR] [CHECKER_ARGS ARGS...]
#                    COMMAND COMMAND...): runs COMMAND in samples/FOLDER (or
# DIR) and compares its output with samples/FOLDER/expected-output.txt.
function(zorvel_sample_test name folder)
  cmake_parse_arguments(PARSE_ARGV 2 _t "" "WORKING_DIRECTORY" "CHECKER_ARGS;COMMAND")
  if(NOT _t_WORKING_DIRECTORY)
    set(_t_WORKING_DIRECTORY ${_samples}/${folder})
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DCHECK=output -DEXPECTED=${_samples}/${folder}/expected-output.txt
            ${_t_CHECKER_ARGS} -P ${_checker} -- ${_t_COMMAND}
    WORKING_DIRECTORY ${_t_WORKING_DIRECTORY})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 120
    FIXTURES_REQUIRED samples_registered RESOURCE_LOCK zorvel_registry)
endfunction()

zorvel_sample_test(samples_vbscript vbscript COMMAND ${_wine_run} cscript //nologo plot.vbs)
zorvel_sample_test(samples_jscript jscript COMMAND ${_wine_run} cscript //nologo plot.js)
zorvel_sample_test(samples_cpp_console cpp-console COMMAND ${_wine_run} $<TARGET_FILE:sample_client>)
zorvel_sample_test(samples_cpp_window cpp-window COMMAND ${_wine_run} $<TARGET_FILE:sample_host> /ticks 30)
zorvel_sample_test(samples_cpp_picture cpp-picture WORKING_DIRECTORY ${_run_dir}
  CHECKER_ARGS -DBMP=${_run_dir}/surface.bmp -DWIDTH=400 -DHEIGHT=300
  COMMAND ${_wine_run} $<TARGET_FILE:sample_save_picture>)
# The second interface's looks, saved as PNG files (the usage guide's gallery).
zorvel_sample_test(samples_vbscript_looks vbscript-looks
  CHECKER_ARGS -DPNGS=${_run_dir}/sequential.png,${_run_dir}/diverging.png,${_run_dir}/plain.png
               -DWIDTH=480 -DHEIGHT=360
  COMMAND ${_wine_run} cscript //nologo looks.vbs "Z:${_run_dir}")

# The build lines the C++ samples give in their headers.
add_test(NAME samples_build_lines
  COMMAND ${CMAKE_COMMAND} -DCHECK=build -DCXX=${CMAKE_CXX_COMPILER} -DGENERATED=${ZORVEL_GENERATED_DIR}
          -DWORK=${_run_dir}/build-lines -P ${_checker} --
          ${_samples}/cpp-console/client.cpp ${_samples}/cpp-window/host.cpp
          ${_samples}/cpp-picture/save_picture.cpp)

# The axes sample: ISurface2's looks saved by SaveImage as axes.png in its
# own folder of the run, which docs/gallery-axes.png is copied from.
set(_axes_run_dir ${_run_dir}/vbscript-axes)
file(MAKE_DIRECTORY ${_axes_run_dir})
string(REPLACE "/" "\\" _axes_script "Z:${_samples}/vbscript-axes/axes.vbs")
zorvel_sample_test(samples_vbscript_axes vbscript-axes WORKING_DIRECTORY ${_axes_run_dir}
  CHECKER_ARGS -DPNGS=${_axes_run_dir}/axes.png -DWIDTH=640 -DHEIGHT=480
  COMMAND ${_wine_run} cscript //nologo ${_axes_script})
