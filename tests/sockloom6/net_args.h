// net_args.h
// What CTest hands the network tests: the folder of the test FTP server
// (its home "root", its port in "port"; user "tester", password "secret")
// and a folder that is a 64 KiB tmpfs unless ".not-mounted" is in it.
// Both are Windows paths (drive Z:); empty in a program started without
// them (test_main.cpp).
#pragma once

#include <string>

namespace harness {
extern std::string gFtpFolder;
extern std::string gFullDiskFolder;
}  // namespace harness
