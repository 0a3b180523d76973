# File items, wildcard patterns, new-folder names, name checks and date texts.
pebblora_test(patterns_test SOURCES patterns_test.cpp LIBS pebblora_shell)
