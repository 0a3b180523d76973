# Shell information services.
pebblora_test(locations_test SOURCES locations_test.cpp LIBS pebblora_shell)
# Registered types and the shared image lists. Both register file types of
# their own in the test prefix, hence the lock.
pebblora_test(filetypes_test SOURCES filetypes_test.cpp LIBS pebblora_shell LOCK registry)
