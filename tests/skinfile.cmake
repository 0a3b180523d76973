# The skin setting and skin files. The shipped skins are copied beside the
# test, which reads them from there; the decoder is built for the image checks.
pebblora_test(skinfile_test SOURCES skinfile_test.cpp LIBS pebblora_game LOCK registry)
add_dependencies(skinfile_test imgdecmp)
file(GLOB_RECURSE _skin_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skins/*)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/skins.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_CURRENT_BINARY_DIR}/skins
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skins ${CMAKE_CURRENT_BINARY_DIR}/skins
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_CURRENT_BINARY_DIR}/skins.stamp
    DEPENDS ${_skin_files})
add_custom_target(shipped_skins DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/skins.stamp)
add_dependencies(skinfile_test shipped_skins)
# Image names in Shift-JIS, read under a Japanese system language.
add_test(NAME SkinFile.ImageNamesAreReadInShiftJis
         COMMAND skinfile_test --gtest_filter=SkinFile.ImageNamesAreReadInTheAnsiCodePage)
set_tests_properties(SkinFile.ImageNamesAreReadInShiftJis PROPERTIES
    ENVIRONMENT "${PEBBLORA_JAPANESE_ENVIRONMENT};PEBBLORA_EXPECT_ACP=932" TIMEOUT 120)
pebblora_test(skinfile_fuzz_test SOURCES skinfile_fuzz_test.cpp LIBS pebblora_game pebblora_skincheck)
