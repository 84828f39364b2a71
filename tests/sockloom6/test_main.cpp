// test_main.cpp
// The socket library's objects live in a single-threaded apartment and
// are driven by its message loop, as in any automation host.
#include "winsock_names.h"

#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 3;
    const int result = RUN_ALL_TESTS();
    WSACleanup();
    CoUninitialize();
    return result;
}
