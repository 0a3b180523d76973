# The About sheet: it writes the device profile and creates card folders in
# the device root, and links the resources for its templates and pictures.
pebblora_test(about_test SOURCES about_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_framework LOCK registry device)
