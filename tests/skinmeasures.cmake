# How far apart the shipped skins' pieces stay, for normal colour vision and
# the three dichromacies; plain Python reading the images through ImageMagick.
add_test(NAME SkinMeasures.ColoursAndShapes
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/skin_measures_test.py)
set_tests_properties(SkinMeasures.ColoursAndShapes PROPERTIES TIMEOUT 60)
