# Benchmarks: plain programs printing ratios against a baseline; never tests.
add_executable(redraw_bench ${CMAKE_SOURCE_DIR}/bench/redraw_bench.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc)
target_link_libraries(redraw_bench PRIVATE pebblora_game)
set_target_properties(redraw_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
