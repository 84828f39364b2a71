// test_main.cpp
// The socket library's in-process test programs. The library's objects
// live in a single-threaded apartment and are driven by its message loop,
// as in any automation host.
//   sockloom6_test
//   sockloom6_net_test <FTP server folder> <full-disk folder> <vsftpd folder>
#include "winsock_names.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "net_args.h"

namespace harness {
std::string gFtpFolder;
std::string gFullDiskFolder;
std::string gVsftpdFolder;
}  // namespace harness

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The network tests' folders come all or not at all.
    if (argc != 1 && argc != 4) return 2;
    if (argc == 4) {
        harness::gFtpFolder = argv[1];
        harness::gFullDiskFolder = argv[2];
        harness::gVsftpdFolder = argv[3];
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 3;
    const int result = RUN_ALL_TESTS();
    WSACleanup();
    CoUninitialize();
    return result;
}
