// ocx_test_main.cpp
// The control's Windows tests run in one single-threaded apartment, as a
// host runs the control. The first argument after GoogleTest's is the
// path of the built orvane36.ocx (a Linux path from CTest).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "ocx_test.h"

namespace ocx_test {
std::string gOcxPath;
} // namespace ocx_test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) {
        std::string path = argv[1];
        if (path.size() > 1 && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        ocx_test::gOcxPath = path;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
