# The game view, the main window and the game flow, driven as real windows;
# the resource script is linked in for the pictures, menus and dialogs.
pebblora_test(game_test SOURCES game_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc LIBS pebblora_game)
