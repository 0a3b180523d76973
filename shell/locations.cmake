target_sources(pebblora_shell PRIVATE ${CMAKE_CURRENT_LIST_DIR}/locations.cpp)
