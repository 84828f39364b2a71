// file_probe.cpp
#include "file_probe.h"

#include <algorithm>
#include <string_view>

#include "common/com/bstr.h"
#include "guid_text.h"
#include "search_order.h"
#include "version_info.h"

namespace orvanescan {

namespace {

uint64_t fromFileTime(const FILETIME& ft) { return uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime; }

FILETIME toFileTime(uint64_t t) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t);
    ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
    return ft;
}

// A registry text value, expanded when it is REG_EXPAND_SZ; none when
// missing or not text.
std::optional<std::string> readText(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > 0x10000) return std::nullopt;
    std::string value(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(std::min<size_t>(size, value.size()));
    value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
    return type == REG_EXPAND_SZ ? ExpandText(value) : value;
}

// The names of a key's subkeys.
std::vector<std::string> subkeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        const LONG rc = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

} // namespace

std::string ExpandText(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    char expanded[MAX_PATH * 4];
    const DWORD n = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    return n > 0 && n <= sizeof expanded ? std::string(expanded) : text;
}

AppPath ReadAppPath(const std::string& applicationName) {
    AppPath out;
    if (applicationName.empty() || applicationName.find('\\') != std::string::npos) return out;
    const std::string name = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + applicationName;
    win32::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return out;
    if (auto exe = readText(key.get(), nullptr)) {
        std::string path = *exe;
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
        const size_t cut = path.find_last_of('\\');
        if (cut != std::string::npos) out.folder = path.substr(0, cut);
    }
    if (auto folders = readText(key.get(), "Path")) out.folders = SplitFolderList(*folders);
    return out;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return path;
    return std::string(full, n);
}

bool SameFile(const std::string& a, const std::string& b) {
    auto normal = [](const std::string& p) {
        std::string full = FullPath(p);
        char longer[MAX_PATH * 2];
        const DWORD n = GetLongPathNameA(full.c_str(), longer, sizeof longer);
        return n > 0 && n < sizeof longer ? std::string(longer, n) : full;
    };
    return SamePath(normal(a), normal(b));
}

void ReadVersionFacts(std::vector<uint8_t> buffer, std::vector<uint8_t>& versionBuffer,
                      std::optional<FixedFileInfo>& fixed, std::string& versionString) {
    versionBuffer.clear();
    fixed.reset();
    versionString.clear();
    auto info = ParseVersionInfo(buffer);
    if (!info) return;
    const size_t length = static_cast<size_t>(buffer[0] | buffer[1] << 8);
    if (length < buffer.size()) buffer.resize(length);
    versionBuffer = std::move(buffer);
    fixed = info->fixed;
    // The resource's UTF-16 text, which wchar_t is on Windows, in the ANSI code page.
    if (auto text = FindVersionString(*info, u"FileVersion"))
        versionString = com::toAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(text->data()), text->size()));
}

std::optional<CopyFacts> ProbeFile(const std::string& path, uint32_t source) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    CopyFacts facts;
    facts.path = FullPath(path);
    facts.source = source;
    facts.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    facts.date = fromFileTime(data.ftLastWriteTime);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(facts.path.c_str(), &ignored);
    if (size > 0) {
        std::vector<uint8_t> buffer(size);
        if (GetFileVersionInfoA(facts.path.c_str(), 0, size, buffer.data())) {
            ReadVersionFacts(std::move(buffer), facts.versionBuffer, facts.fixed, facts.versionString);
        }
    }
    return facts;
}

std::vector<Registration> ReadRegistrations(const TypeLibId& lib, const std::string& foundPath) {
    std::vector<Registration> out;
    const std::string keyName = "TypeLib\\" + GuidText(lib.guid);
    win32::RegKey libKey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, libKey.put()) != ERROR_SUCCESS) return out;
    // Looked up as the loading process's oleaut32 does: a 64-bit process
    // takes "win64" and falls back to "win32"; a 32-bit one reads "win32".
    std::vector<const char*> platforms{"win32"};
    if (sizeof(void*) == 8) platforms.insert(platforms.begin(), "win64");
    for (const std::string& versionName : subkeys(libKey.get())) {
        const auto version = TypeLibVersionFromKey(versionName);
        if (!version) continue;
        win32::RegKey versionKeyHandle;
        if (RegOpenKeyExA(libKey.get(), versionName.c_str(), 0, KEY_READ, versionKeyHandle.put()) != ERROR_SUCCESS)
            continue;
        for (const std::string& lcidName : subkeys(versionKeyHandle.get())) {
            const auto lcid = HexNumber(lcidName);
            if (!lcid) continue;   // FLAGS, HELPDIR
            win32::RegKey platformKey;
            bool opened = false;
            for (const char* platform : platforms) {
                const std::string sub = lcidName + "\\" + platform;
                opened = RegOpenKeyExA(versionKeyHandle.get(), sub.c_str(), 0, KEY_READ, platformKey.put()) ==
                         ERROR_SUCCESS;
                if (opened) break;
            }
            if (!opened) continue;
            const auto path = readText(platformKey.get(), nullptr);
            if (!path || path->empty()) continue;
            Registration r;
            r.id.guid = lib.guid;
            r.id.version = *version;
            r.id.lcid = *lcid;
            r.namesFoundCopy = !foundPath.empty() && SameFile(*path, foundPath);
            out.push_back(r);
        }
    }
    return out;
}

bool LoadedElsewhere(std::string_view name, const std::string& foundPath) {
    const std::string base(FileNamePart(name));
    if (base.empty()) return false;
    HMODULE module = GetModuleHandleA(base.c_str());
    if (!module) return false;
    char loaded[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameA(module, loaded, sizeof loaded);
    if (n == 0 || n >= sizeof loaded) return false;
    return foundPath.empty() || !SameFile(std::string(loaded, n), foundPath);
}

std::string DateText(uint64_t fileTime) {
    if (fileTime == 0) return {};
    const FILETIME utc = toFileTime(fileTime);
    SYSTEMTIME u;
    SYSTEMTIME local;
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond);
    return text;
}

std::optional<uint64_t> FileTimeFromLocal(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc;
    FILETIME ft;
    // SystemTimeToFileTime refuses a day the month does not have.
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft))
        return std::nullopt;
    return fromFileTime(ft);
}

bool MappedFile::open(const std::string& path) {
    m_file.reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file.get(), &size)) return false;
    if (size.QuadPart == 0) return true;   // nothing to map
    if (static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    m_mapping.reset(CreateFileMappingA(m_file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!m_mapping) return false;
    m_view.reset(MapViewOfFile(m_mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!m_view) return false;
    m_size = static_cast<size_t>(size.QuadPart);
    return true;
}

} // namespace orvanescan
