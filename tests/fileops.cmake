# File operations. The primitives' test writes the device profile (in-ROM files).
pebblora_test(primitives_test SOURCES primitives_test.cpp LIBS pebblora_fileops LOCK registry device)
