// server_fixture.h
// The test update server started by CTest (update_server.py): where it
// serves from, its address and the request lines it saw; and a throw-away
// folder for downloaded files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace updtest {

// Set by main from the last command-line argument (the server's folder).
void setServerFolder(const std::string& unixPath);

std::string serverRoot();        // Windows path of the served folder
std::string hostPort();          // "127.0.0.1:<port>"
std::string url(const std::string& path); // "http://127.0.0.1:<port>" + path
std::vector<std::string> requests();      // request lines so far
void clearRequests();

// Writes a file under the served root (folders made as needed).
void serve(const std::string& relPath, const std::string& bytes);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// Names in folder, "." and ".." left out.
std::vector<std::string> listFolder(const std::string& folder);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

} // namespace updtest
