# The handheld shell's menu bar, full-screen dialogs, input panel and extra controls.
target_sources(pebblora_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/aygshell.cpp)
target_link_libraries(pebblora_platform PUBLIC comctl32 user32 gdi32 advapi32)
