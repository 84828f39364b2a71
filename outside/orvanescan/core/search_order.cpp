// search_order.cpp
#include "search_order.h"

namespace orvanescan {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trimSeparators(std::string_view p) {
    while (p.size() > 1 && isSeparator(p.back()) && !(p.size() == 3 && p[1] == ':')) p.remove_suffix(1);
    return p;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

} // namespace

std::vector<std::string> SplitFolderList(std::string_view list) {
    std::vector<std::string> folders;
    while (!list.empty()) {
        const size_t end = list.find(';');
        std::string_view item = trimBlanks(list.substr(0, end));
        if (item.size() >= 2 && item.front() == '"' && item.back() == '"') {
            item = trimBlanks(item.substr(1, item.size() - 2));
        }
        if (!item.empty()) folders.emplace_back(item);
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return folders;
}

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) return true;
    return !path.empty() && isSeparator(path[0]);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !isSeparator(path.back())) path += '\\';
    while (!name.empty() && isSeparator(name.front())) name.remove_prefix(1);
    path += name;
    return path;
}

bool SamePath(std::string_view a, std::string_view b) {
    a = trimSeparators(a);
    b = trimSeparators(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (isSeparator(a[i]) && isSeparator(b[i])) continue;
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

std::string_view FileNamePart(std::string_view path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::vector<Candidate> CandidatePaths(const Reference& ref, const SearchFolders& folders) {
    std::vector<Candidate> out;
    if (ref.name.empty()) return out;
    if (IsAbsolutePath(ref.name)) {
        out.push_back({ref.name, 0});
        return out;
    }
    std::vector<std::pair<std::string, uint32_t>> order;
    auto add = [&](const std::string& folder, uint32_t bit) {
        if (!folder.empty()) order.emplace_back(folder, bit);
    };
    const uint32_t bits = ref.pathBits;
    if (bits & path_bits::kProgramFolder) add(folders.program, path_bits::kProgramFolder);
    if (bits & path_bits::kSystemFolder) add(folders.system, path_bits::kSystemFolder);
    if (bits & path_bits::kWindowsFolder) add(folders.windows, path_bits::kWindowsFolder);
    if (bits & path_bits::kSearchPath) {
        for (const std::string& f : SplitFolderList(folders.searchPath)) add(f, path_bits::kSearchPath);
    }
    if (bits & path_bits::kOtherPaths) {
        for (const std::string& f : SplitFolderList(ref.otherPaths)) add(f, path_bits::kOtherPaths);
        for (const std::string& f : folders.otherPaths) add(f, path_bits::kOtherPaths);
    }
    for (const auto& [folder, bit] : order) {
        bool seen = false;
        for (const Candidate& c : out) seen = seen || SamePath(c.path, JoinPath(folder, ref.name));
        if (!seen) out.push_back({JoinPath(folder, ref.name), bit});
        if (ref.pathDependent) break;
    }
    return out;
}

} // namespace orvanescan
