# The command bar: image strips, buttons with text, drop-downs, placement and
# tooltips, on real toolbar controls.
pebblora_test(commandbar_test SOURCES commandbar_test.cpp commandbar_test.rc LIBS pebblora_platform)
