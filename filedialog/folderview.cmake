# The folder view: listing, sorting, icons on demand, New Folder, Delete and rename.
target_sources(pebblora_filedialog PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/folderview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folderview_edit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folderview_refresh.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folderview_sort.cpp
)
