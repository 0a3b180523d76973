# The file selection dialog, driven in its own modal loop, and the rules of
# its navigation. The dialog walks the test device's special folders and
# reads the input panel from the device profile.
pebblora_test(filedialog_test SOURCES filedialog_test.cpp filedialog_find_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_filedialog LOCK registry device)
pebblora_test(navigation_test SOURCES navigation_test.cpp LIBS pebblora_filedialog)
