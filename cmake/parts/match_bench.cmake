# Benchmark: the dialog's pattern filter against PathMatchSpecW.
add_executable(match_bench ${CMAKE_SOURCE_DIR}/bench/match_bench.cpp)
target_link_libraries(match_bench PRIVATE pebblora_shell shlwapi)
set_target_properties(match_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
