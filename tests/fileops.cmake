# File operations. The primitives' test writes the device profile (in-ROM files).
pebblora_test(primitives_test SOURCES primitives_test.cpp LIBS pebblora_fileops LOCK registry device)
# The engine behind its real progress dialog; the resource script brings
# the templates and icons. In-ROM cases write the device profile.
# It runs alone: its dialogs hand the activation back and forth, which must
# not involve other programs' windows on the shared desktop.
pebblora_test(fileop_test SERIAL SOURCES fileop_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_fileops LOCK registry device TIMEOUT 400)
# The search of a tree of folders: it makes host links and paths at the
# length limit in its scratch folders on the test device.
pebblora_test(walk_test SOURCES walk_test.cpp LIBS pebblora_fileops LOCK device)
