# IMGDECMP.DLL, the image decoder the program loads at run time. It sits
# beside pebblora.exe; the test executables' folder never gets a copy, so
# that tests see the program without it unless they place one themselves.
add_library(imgdecmp SHARED
    ${CMAKE_SOURCE_DIR}/imgdecmp/imgdecmp.cpp
    ${CMAKE_SOURCE_DIR}/imgdecmp/imgdecmp.def
)
set_target_properties(imgdecmp PROPERTIES
    OUTPUT_NAME IMGDECMP
    PREFIX ""
    SUFFIX ".DLL"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/imgdecmp
)
target_link_libraries(imgdecmp PRIVATE windowscodecs ole32 uuid gdi32)
