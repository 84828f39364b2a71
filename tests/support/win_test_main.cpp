// win_test_main.cpp
// GoogleTest entry for Windows test programs that take extra arguments
// (paths of the built programs) after GoogleTest's own.
#include <gtest/gtest.h>

#include "win_test_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) testsupport::gArgs.push_back(argv[i]);
    return RUN_ALL_TESTS();
}
