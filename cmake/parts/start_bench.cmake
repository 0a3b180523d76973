# The least Win32 program that shows a window: bench/start_bench.sh times
# the launcher's start against Wine starting this one.
add_executable(start_window WIN32 ${CMAKE_SOURCE_DIR}/bench/start_window.cpp)
target_link_options(start_window PRIVATE -municode)
set_target_properties(start_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
