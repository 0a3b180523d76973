# The handheld shell's special folders and shortcut files.
target_sources(pebblora_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ceshell.cpp)
