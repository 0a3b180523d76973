# Window objects, the shared procedures and the main message loop. The real
# resource script is linked in for icon 100 and accelerator table 100.
pebblora_test(window_test SOURCES window_test.cpp frame_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_framework)
