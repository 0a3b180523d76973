# Shell information services.
pebblora_test(locations_test SOURCES locations_test.cpp LIBS pebblora_shell)
