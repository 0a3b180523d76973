# Object store, power status and storage cards: they write the device profile
# and create folders in the device root.
pebblora_test(cestatus_test SOURCES cestatus_test.cpp LIBS pebblora_platform LOCK registry device)
