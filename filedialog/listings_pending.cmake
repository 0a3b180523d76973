# Stand-in for the Control Panel and Database listings while they are built
# on another branch; removed when that branch is merged.
target_sources(pebblora_filedialog PRIVATE ${CMAKE_CURRENT_LIST_DIR}/listings_pending.cpp)
