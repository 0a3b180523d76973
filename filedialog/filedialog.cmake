# The file selection dialog and the rules of its navigation.
target_sources(pebblora_filedialog PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/filedialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filedialog_choose.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filedialog_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filedialog_navigate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filefind.cpp
    ${CMAKE_CURRENT_LIST_DIR}/navigation.cpp
)
