# Benchmark of the registered-type table against a bare walk of
# HKEY_CLASSES_ROOT; a plain program printing a ratio, never a test.
add_executable(typetable_bench ${CMAKE_SOURCE_DIR}/bench/typetable_bench.cpp)
target_link_libraries(typetable_bench PRIVATE pebblora_shell)
set_target_properties(typetable_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
