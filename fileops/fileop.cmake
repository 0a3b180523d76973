target_sources(pebblora_fileops PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fileop.cpp ${CMAKE_CURRENT_LIST_DIR}/confirm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/walk.cpp)
