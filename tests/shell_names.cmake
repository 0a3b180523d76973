# File items, wildcard patterns, new-folder names, name checks and date texts.
pebblora_test(patterns_test SOURCES patterns_test.cpp LIBS pebblora_shell)
pebblora_test(fileitem_test SOURCES fileitem_test.cpp LIBS pebblora_shell)
pebblora_test(names_test SOURCES names_test.cpp filetime_test.cpp LIBS pebblora_shell)
