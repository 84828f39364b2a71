// control_test_main.cpp
// The control's own tests run in one single-threaded apartment, as a host
// runs the control, with the design library already in the process (so
// the one-master-per-thread rule is on). Arguments after GoogleTest's:
// orvane36.ocx, orvdesign36.dll and, when it was built, the scan engine.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "ocx_test.h"

namespace ocx_test {
std::string gOcxPath;
std::string gDesignPath;
std::string gEnginePath;
} // namespace ocx_test

namespace {

std::string windowsPath(std::string path) {
    if (path.size() > 1 && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) ocx_test::gOcxPath = windowsPath(argv[1]);
    if (argc > 2) ocx_test::gDesignPath = windowsPath(argv[2]);
    if (argc > 3) ocx_test::gEnginePath = windowsPath(argv[3]);
    // The control finds the design library by name, as it does in a host
    // that loaded it before.
    if (ocx_test::gDesignPath.empty() || !LoadLibraryA(ocx_test::gDesignPath.c_str())) return 3;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
