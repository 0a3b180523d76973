target_sources(pebblora_fileops PRIVATE ${CMAKE_CURRENT_LIST_DIR}/fileop.cpp ${CMAKE_CURRENT_LIST_DIR}/confirm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/walk.cpp)
# The search reads folder indexes with the native call: cheaper than the
# Win32 one, which asks the volume too.
target_link_libraries(pebblora_fileops PRIVATE ntdll)
