# The handheld's command bar over the toolbar control; the menu bar shares its image strips.
target_sources(pebblora_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/commandbar.cpp)
target_link_libraries(pebblora_platform PUBLIC comctl32 user32 gdi32)
