# File items, wildcard patterns, date texts, new-folder names and name checks.
target_sources(pebblora_shell PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/fileitem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filetime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/patterns.cpp
)
