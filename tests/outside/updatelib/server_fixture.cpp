// server_fixture.cpp
#include "server_fixture.h"

#include <fstream>
#include <sstream>

#include "common/win32/files.h"

namespace updtest {
namespace {

std::string& folder() {
    static std::string f;
    return f;
}

std::string winPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

void makeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

void removeTree(const std::string& path) {
    for (const win32::FoundEntry& e : win32::findEntries(path + "\\*")) {
        const std::string full = path + "\\" + e.name;
        if (e.isFolder) {
            removeTree(full);
            continue;
        }
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

void setServerFolder(const std::string& unixPath) { folder() = winPath(unixPath); }

std::string serverRoot() { return folder() + "\\root"; }

std::string hostPort() {
    std::string port = readFile(folder() + "\\port");
    return "127.0.0.1:" + port;
}

std::string url(const std::string& path) { return "http://" + hostPort() + path; }

std::vector<std::string> requests() {
    std::vector<std::string> lines;
    std::istringstream in(readFile(folder() + "\\requests.log"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void clearRequests() { writeFile(folder() + "\\requests.log", ""); }

void serve(const std::string& relPath, const std::string& bytes) {
    std::string p = serverRoot() + "\\" + relPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    makeFolders(p);
    writeFile(p, bytes);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> listFolder(const std::string& f) {
    std::vector<std::string> names;
    for (const win32::FoundEntry& e : win32::findEntries(f + "\\*")) names.push_back(e.name);
    return names;
}

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int serial = 0;
    m_path = std::string(base) + "updtest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
    removeTree(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() { removeTree(m_path); }

} // namespace updtest
