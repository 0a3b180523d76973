# Dialogs, property sheets, the menu bar, full-screen set-up and the input
# panel. The input-panel case writes the device profile, hence the lock.
pebblora_test(dialog_test SOURCES dialog_test.cpp dialog_test.rc LIBS pebblora_framework LOCK registry)
