# Benchmark: Find behind its progress dialog with its results shown, against
# a plain recursive walk with the same pattern check, and how soon Abort
# lets go; a plain program printing ratios, never a test.
add_executable(find_bench ${CMAKE_SOURCE_DIR}/bench/find_bench.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc)
target_link_libraries(find_bench PRIVATE pebblora_filedialog)
set_target_properties(find_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
