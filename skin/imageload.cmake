# Image files into bitmaps: the decoder gate, the BMP reader, tiling.
target_sources(pebblora_skin PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/imageload.cpp)
target_link_libraries(pebblora_skin PUBLIC gdi32 kernel32)
