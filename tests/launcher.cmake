# The launcher's decisions to skip a build or a registry import; plain
# Python and bash, no Wine.
add_test(NAME Launcher.Decisions
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/launcher_test.py)
set_tests_properties(Launcher.Decisions PROPERTIES TIMEOUT 60)
