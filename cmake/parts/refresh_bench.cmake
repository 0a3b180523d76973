# Benchmark: the folder view's listing against a bare FindFirstFileW walk
# and the platform's GetOpenFileNameW dialog; a plain program printing
# ratios, never a test.
add_executable(refresh_bench ${CMAKE_SOURCE_DIR}/bench/refresh_bench.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc)
target_link_libraries(refresh_bench PRIVATE pebblora_filedialog comdlg32)
set_target_properties(refresh_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
