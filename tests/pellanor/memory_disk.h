// memory_disk.h
// A folder tree in memory for the verse library's load: entries list in the
// order they were made (as a file system's order is its own), a held file
// lists but cannot be read, as one another program holds open.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "verse_library.h"

namespace testsupport {

class MemoryDisk : public verse_library::Disk {
public:
    // Makes the file (and its folders), or replaces its bytes.
    void file(const std::string& path, const std::string& content) {
        folder(parentOf(path));
        if (Node* n = find(path)) {
            n->content = content;
            return;
        }
        m_nodes.push_back({path, false, content, false});
    }
    void folder(const std::string& path) {
        if (path.empty() || find(path)) return;
        folder(parentOf(path));
        m_nodes.push_back({path, true, {}, false});
    }
    void hold(const std::string& path) {
        if (Node* n = find(path)) n->held = true;
    }
    void remove(const std::string& path) {
        m_nodes.erase(std::remove_if(m_nodes.begin(), m_nodes.end(), [&](const Node& n) { return n.path == path; }),
                      m_nodes.end());
    }

    std::vector<verse_library::FolderEntry> list(const std::string& folder) const override {
        std::vector<verse_library::FolderEntry> out;
        for (const Node& n : m_nodes)
            if (parentOf(n.path) == folder) out.push_back({n.path.substr(folder.size() + 1), n.isFolder});
        return out;
    }
    bool read(const std::string& path, std::string& content) const override {
        for (const Node& n : m_nodes) {
            if (n.path != path || n.isFolder || n.held) continue;
            content = n.content;
            return true;
        }
        return false;
    }

private:
    struct Node {
        std::string path;
        bool isFolder;
        std::string content;
        bool held;
    };
    static std::string parentOf(const std::string& path) {
        size_t slash = path.find_last_of('\\');
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    Node* find(const std::string& path) {
        for (Node& n : m_nodes)
            if (n.path == path) return &n;
        return nullptr;
    }
    std::vector<Node> m_nodes;
};

} // namespace testsupport
