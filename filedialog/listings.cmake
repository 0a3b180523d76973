# The Control Panel and Database listings.
target_sources(pebblora_filedialog PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/appletlist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/databaselist.cpp
)
