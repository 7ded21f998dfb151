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
set(_fuzz_targets ${_fuzz_dir}/grid_fuzzer.cpp ${_fuzz_dir}/mesh_fuzzer.cpp ${_fuzz_dir}/persist_fuzzer.cpp
                  ${_fuzz_dir}/registrar_fuzzer.cpp)
target_sources(fuzz_tests PRIVATE ${_fuzz_targets}
  ${_fuzz_dir}/grid_operations.cpp ${_fuzz_dir}/heap_limit.cpp)
# Four targets, one program: each entry point under a name of its own.
set_source_files_properties(${_fuzz_dir}/grid_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelGridFuzzOne)
set_source_files_properties(${_fuzz_dir}/mesh_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelMeshFuzzOne)
set_source_files_properties(${_fuzz_dir}/persist_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelPersistFuzzOne)
set_source_files_properties(${_fuzz_dir}/registrar_fuzzer.cpp PROPERTIES
  COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=ZorvelRegistrarFuzzOne)
# The dialog host's readers of initialisation data, on the way to the
# control's persisted stream.
if(TARGET zorvel_container)
  target_sources(fuzz_tests PRIVATE ${CMAKE_SOURCE_DIR}/hosts/dialog/dialog_init_data.cpp)
  target_link_libraries(fuzz_tests PRIVATE zorvel_container)
else()
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/fuzz/init_data_fuzz.cpp PROPERTIES HEADER_FILE_ONLY ON)
endif()
string(REPLACE "/" "\\\\" _regressions_windows "Z:${_fuzz_dir}/regressions")
target_compile_definitions(fuzz_tests PRIVATE ZORVEL_FUZZ_REGRESSIONS="${_regressions_windows}"
                           ZORVEL_TLB_PATH="Z:${ZORVEL_TLB}")

# A crash the program cannot report (a stack overflow under Wine may even
# exit with 0) still fails the test, by what Wine and the hang watch print.
set(_fuzz_crashed "wine: Unhandled|fuzz-hang:")
set_tests_properties(fuzz_tests PROPERTIES ENVIRONMENT "GTEST_FILTER=-*Regressions.*" LABELS fuzz
                     FAIL_REGULAR_EXPRESSION "${_fuzz_crashed}")
add_test(NAME fuzz_tests_regressions COMMAND fuzz_tests --gtest_filter=*Regressions.*)
set_tests_properties(fuzz_tests_regressions PROPERTIES LABELS fuzz FAIL_REGULAR_EXPRESSION "${_fuzz_crashed}")
