# Pebblora Settings, the control-panel module that ./run.sh installs in the
# device's \Windows, so that the file dialog's Control Panel lists it.
add_library(settings_applet SHARED
    ${CMAKE_SOURCE_DIR}/applets/settings.cpp
    ${CMAKE_SOURCE_DIR}/applets/settings.rc
)
set_target_properties(settings_applet PROPERTIES
    OUTPUT_NAME pebblora
    PREFIX ""
    SUFFIX ".cpl"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/applets
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/applets
)
target_link_libraries(settings_applet PRIVATE pebblora_framework pebblora_platform)
