# File items, wildcard patterns, date texts, new-folder names and name checks.
target_sources(pebblora_shell PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/patterns.cpp
)
