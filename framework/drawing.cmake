# Drawing helpers: GDI holders, language fonts, the gauge, byte sizes, icons.
target_sources(pebblora_framework PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/gdi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gauge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/format.cpp
)
target_link_libraries(pebblora_framework PUBLIC comctl32)
