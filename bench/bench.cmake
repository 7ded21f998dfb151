# The side-by-side benchmark's Windows programs (scripts/bench runs them with
# the peers): the control's benchmark, and the reference loops built with the
# same compiler and run under Wine too, which tells the cost of the platform
# from the cost of the code.  They print figures; none of them is a test.
add_executable(zorvel_bench ${CMAKE_CURRENT_LIST_DIR}/zorvel_bench.cpp)
zorvel_include_root(bench _bench_root)
zorvel_include_root(hosts _hosts_root)
target_link_libraries(zorvel_bench PRIVATE zorvel_control psapi)
target_include_directories(zorvel_bench PRIVATE ${_bench_root} ${_hosts_root})
# SSE arithmetic: the device may leave the x87 unit in single precision.
target_compile_options(zorvel_bench PRIVATE -Wall -Wextra -msse2 -mfpmath=sse)
target_link_options(zorvel_bench PRIVATE -mconsole)

# The reference strip in float C with SSE arithmetic, as the control's mesh
# code is compiled.
add_executable(bench_mesh_ref ${CMAKE_CURRENT_LIST_DIR}/reference/mesh_ref.c)
set_target_properties(bench_mesh_ref PROPERTIES C_STANDARD 99)
target_compile_options(bench_mesh_ref PRIVATE -Wall -Wextra -msse2 -mfpmath=sse)
target_link_options(bench_mesh_ref PRIVATE -mconsole)

add_executable(bench_lua_ref ${CMAKE_CURRENT_LIST_DIR}/reference/lua_calls_ref.cpp)
target_include_directories(bench_lua_ref PRIVATE ${_bench_root} ${_hosts_root})
target_link_libraries(bench_lua_ref PRIVATE lua51)
target_compile_options(bench_lua_ref PRIVATE -Wall -Wextra)
target_link_options(bench_lua_ref PRIVATE -mconsole)

# The raw OpenGL frame through WGL under the same Wine and 32-bit driver.
add_executable(bench_raw_gl_wgl ${CMAKE_CURRENT_LIST_DIR}/peers/raw_gl_wgl.c)
set_target_properties(bench_raw_gl_wgl PROPERTIES C_STANDARD 99)
target_link_libraries(bench_raw_gl_wgl PRIVATE opengl32 gdi32 user32)
target_compile_options(bench_raw_gl_wgl PRIVATE -Wall -Wextra -msse2 -mfpmath=sse)
target_link_options(bench_raw_gl_wgl PRIVATE -mconsole)

# The yardstick of the control's frame: the same Direct3D 8 work without the
# control, under the same Wine.
add_executable(bench_d3d8_yardstick ${CMAKE_CURRENT_LIST_DIR}/peers/d3d8_yardstick.cpp)
target_link_libraries(bench_d3d8_yardstick PRIVATE d3d8 user32)
target_compile_options(bench_d3d8_yardstick PRIVATE -Wall -Wextra)
target_link_options(bench_d3d8_yardstick PRIVATE -mconsole)
