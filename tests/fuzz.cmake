# The fuzzers that run under Wine.  tests/fuzz/*.cpp make fuzz_tests.exe
# (in-process on the linked control library); it also carries the native
# fuzz targets of fuzz/, built for Windows.  The suite runs every fuzzer with
# a fixed seed and a small count; scripts/fuzz sets ZORVEL_FUZZ_CASES and
# ZORVEL_FUZZ_SEED for the large runs.  The inputs that once broke a target
# are replayed by a test of their own.
if(NOT TARGET fuzz_tests)
  file(GLOB _fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*.cpp)
  if(NOT _fuzz_sources)
    return()
  endif()
  zorvel_add_win_test(fuzz_tests ${_fuzz_sources})
  target_link_libraries(fuzz_tests PRIVATE zorvel_test_main)
endif()

set(_fuzz_dir ${CMAKE_SOURCE_DIR}/fuzz)
set(_fuzz_targets ${_fuzz_dir}/grid_fuzzer.cpp ${_fuzz_dir}/mesh_fuzzer.cpp ${_fuzz_dir}/registrar_fuzzer.cpp)
target_sources(fuzz_tests PRIVATE ${_fuzz_targets}
  ${_fuzz_dir}/grid_operations.cpp ${_fuzz_dir}/heap_limit.cpp)
# Three targets, one program: each entry point under a name of its own.
set_source_files_properties(${_fuzz_dir}/grid_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelGridFuzzOne)
set_source_files_properties(${_fuzz_dir}/mesh_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelMeshFuzzOne)
set_source_files_properties(${_fuzz_dir}/registrar_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelRegistrarFuzzOne)
string(REPLACE "/" "\\\\" _regressions_windows "Z:${_fuzz_dir}/regressions")
target_compile_definitions(fuzz_tests PRIVATE ZORVEL_FUZZ_REGRESSIONS="${_regressions_windows}")

set_tests_properties(fuzz_tests PROPERTIES ENVIRONMENT "GTEST_FILTER=-*Regressions.*" LABELS fuzz)
add_test(NAME fuzz_tests_regressions COMMAND fuzz_tests --gtest_filter=*Regressions.*)
set_tests_properties(fuzz_tests_regressions PROPERTIES LABELS fuzz)
