// test_main.cpp
// GoogleTest entry: the last argument is the test update server's folder.
#include <gtest/gtest.h>

#include "server_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) updtest::setServerFolder(argv[argc - 1]);
    return RUN_ALL_TESTS();
}
