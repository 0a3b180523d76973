// Test entry point: runs a registered child when asked, GoogleTest otherwise.
#include <gtest/gtest.h>

#include "tests/support/testsupport.h"

int main(int argc, char** argv) {
    int exitCode = 0;
    if (RunChildIfAsked(argc, argv, exitCode)) return exitCode;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
