# The display-mode test needs a display with more than one mode; the bare
# X server here has one, Wine's virtual desktop offers the usual list.  It
# must print its finding, so that a skipped run cannot pass.
if(NOT TARGET render_tests)
  return()
endif()

set(_render_exe ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/render_tests.exe)
string(REPLACE "/" "\\" _render_exe_windows "Z:${_render_exe}")
add_test(NAME render_display_mode
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run explorer /desktop=zorvelmode,800x600
          ${_render_exe_windows} --gtest_filter=RenderLostDevice.DisplayModeChangeLeavesTheControlDrawing)
set_tests_properties(render_display_mode PROPERTIES
  PASS_REGULAR_EXPRESSION "device loss [a-z ]+\n.*\\[  PASSED  \\] 1 test"
  TIMEOUT 120)
