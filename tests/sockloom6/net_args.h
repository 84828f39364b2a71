// net_args.h
// What CTest hands the network tests: the folder of the test FTP server
// (its home "root", its port in "port"; user "tester", password "secret"),
// a folder that is a 64 KiB tmpfs unless ".not-mounted" is in it, and the
// folder of the rate-limited vsftpd (anonymous; "root", "port" and its
// log "vsftpd.log"; see vsftpd_server.sh). All are Windows paths (drive
// Z:); empty in a program started without them (test_main.cpp).
#pragma once

#include <string>

namespace harness {
extern std::string gFtpFolder;
extern std::string gFullDiskFolder;
extern std::string gVsftpdFolder;
}  // namespace harness
