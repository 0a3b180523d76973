# Object store, power status and storage cards of the handheld.
target_sources(pebblora_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cestatus.cpp)
target_link_libraries(pebblora_platform PUBLIC kernel32 advapi32)
