# The game view, the main window and the game flow, driven as real windows;
# the resource script is linked in for the pictures, menus and dialogs. The
# main window reads and writes the remembered skin setting in the registry.
pebblora_test(game_test SOURCES game_test.cpp game_keys_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc LIBS pebblora_game
              LOCK registry)
# The main window with the remembered skin setting.
pebblora_test(gameskin_test SOURCES gameskin_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc LIBS pebblora_game
              LOCK registry)
