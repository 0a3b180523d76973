# The folder view in a dialog hosting its list control. In-ROM cases write
# the device profile; the Desktop case writes the device's desktop folder.
pebblora_test(folderview_test SOURCES folderview_test.cpp folderview_edit_test.cpp folderview_test.rc
              LIBS pebblora_filedialog LOCK registry device)
# The handheld shell's special folders and shortcut files.
pebblora_test(ceshell_test SOURCES ceshell_test.cpp LIBS pebblora_platform)
# Japanese names on disk under a Japanese system language.
add_test(NAME FolderView.JapaneseNamesUnderJapaneseSystemLanguage
         COMMAND folderview_test --gtest_filter=FolderView.JapaneseFolderIsMadeListedRenamedAndDeleted)
set_tests_properties(FolderView.JapaneseNamesUnderJapaneseSystemLanguage PROPERTIES
    ENVIRONMENT "${PEBBLORA_JAPANESE_ENVIRONMENT}" RESOURCE_LOCK "registry,device" TIMEOUT 120)
