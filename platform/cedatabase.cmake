# The object store's database enumeration over the device profile.
target_sources(pebblora_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cedatabase.cpp)
