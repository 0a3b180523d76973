target_sources(pebblora_fileops PRIVATE ${CMAKE_CURRENT_LIST_DIR}/primitives.cpp)
