# The skin checker, run as the program it is on the broken skins in
# fixtures/skins and on every shipped skin, read where they lie in the tree.
pebblora_test(skincheck_test SOURCES skincheck_test.cpp)
add_dependencies(skincheck_test skincheck imgdecmp)
target_compile_definitions(skincheck_test PRIVATE
    SKINCHECK_EXE="Z:${CMAKE_BINARY_DIR}/app/skincheck.exe"
    SKINCHECK_FIXTURES="Z:${CMAKE_SOURCE_DIR}/tests/fixtures/skins"
    SKINCHECK_SHIPPED="Z:${CMAKE_SOURCE_DIR}/skins")
