# Shell information services.
pebblora_test(locations_test SOURCES locations_test.cpp LIBS pebblora_shell)
# Registered types and the shared image lists. Both register file types of
# their own in the test prefix, hence the lock.
pebblora_test(filetypes_test SOURCES filetypes_test.cpp LIBS pebblora_shell LOCK registry)
# Copied by the image-list tests: a program without icons and an icon file.
add_executable(noicon_fixture fixtures/noicon.cpp)
configure_file(${CMAKE_SOURCE_DIR}/resources/icons/app.ico ${CMAKE_CURRENT_BINARY_DIR}/app.ico COPYONLY)
pebblora_test(iconcache_test SOURCES iconcache_test.cpp ${CMAKE_SOURCE_DIR}/resources/pebblora.rc
              LIBS pebblora_shell LOCK registry)
add_dependencies(iconcache_test noicon_fixture)
# The same lists built from resources that lack one standard icon.
pebblora_test(iconcache_gap_test SOURCES iconcache_gap_test.cpp iconcache_gap_test.rc LIBS pebblora_shell)
