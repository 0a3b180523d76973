# Drawing helpers and the pictures: the resource script is linked in so that
# the gauge strip and the other bitmaps exist.
pebblora_test(drawing_test SOURCES drawing_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_framework)
