# Registered file types and the shared image lists with their icons.
target_sources(pebblora_shell PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/filetypes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/iconcache.cpp
)
# ExtractIconExW.
target_link_libraries(pebblora_shell PUBLIC shell32)
