# The Control Panel and Database listings, and the object store under them.
# Test control-panel modules, built beside the tests and copied into the
# test device's \Windows by the tests that list them.
foreach(module IN ITEMS cpl_three cpl_noexport cpl_unruly)
    set(sources fixtures/${module}.cpp)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/${module}.rc)
        list(APPEND sources fixtures/${module}.rc)
    endif()
    add_library(${module} SHARED ${sources})
    set_target_properties(${module} PROPERTIES PREFIX "" SUFFIX ".cpl"
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endforeach()
# They write the device profile and the test device's \Windows.
pebblora_test(listings_test SOURCES listings_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_filedialog LOCK registry device)
add_dependencies(listings_test cpl_three cpl_noexport cpl_unruly settings_applet)
pebblora_test(cedatabase_test SOURCES cedatabase_test.cpp LIBS pebblora_platform LOCK registry device)
