# A small program that tells the launcher and the end-to-end tests what the
# program shows on its Wine desktop (see tools/window_probe.cpp).
add_executable(window_probe ${CMAKE_SOURCE_DIR}/tools/window_probe.cpp)
target_link_options(window_probe PRIVATE -municode)
set_target_properties(window_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
