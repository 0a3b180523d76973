# The About sheet: identity, memory and battery pages.
target_sources(pebblora_framework PRIVATE ${CMAKE_CURRENT_LIST_DIR}/about.cpp)
target_link_libraries(pebblora_framework PUBLIC pebblora_platform comctl32)
