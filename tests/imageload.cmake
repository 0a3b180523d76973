# Image loading; the decoder DLL is built first because some cases run with it.
pebblora_test(imageload_test SOURCES imageload_test.cpp LIBS pebblora_skin windowscodecs ole32 uuid)
add_dependencies(imageload_test imgdecmp)
