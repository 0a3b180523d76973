# Dialogs and property sheets.
target_sources(pebblora_framework PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp)
target_link_libraries(pebblora_framework PUBLIC comctl32)
