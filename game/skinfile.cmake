# The skin setting and skin files.
target_sources(pebblora_game PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/skinfile.cpp)
