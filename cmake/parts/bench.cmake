# Benchmarks: plain programs printing ratios against a baseline; never tests.
add_executable(redraw_bench ${CMAKE_SOURCE_DIR}/bench/redraw_bench.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc)
target_link_libraries(redraw_bench PRIVATE pebblora_game)
set_target_properties(redraw_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
# The file operation engine against plain walks and SHFileOperationW.
add_executable(fileop_bench ${CMAKE_SOURCE_DIR}/bench/fileop_bench.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc)
target_link_libraries(fileop_bench PRIVATE pebblora_fileops shell32)
set_target_properties(fileop_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
