// install.cpp
// Registration of downloaded components and file dates.
#include "updatelib.h"

#include <cctype>
#include <cstdio>

#include "common/win32/files.h"
#include "common/win32/handles.h"

namespace Tamberly_orvane6 {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isComponent(const std::string& path) {
    std::string p = lower(path);
    return p.ends_with(".dll") || p.ends_with(".ocx");
}

} // namespace

Result ComponentInstaller::install(const std::string& localPath, const std::string& matchedPath) {
    if (!m_register || localPath.empty() || !isComponent(localPath) || lower(localPath) != lower(matchedPath))
        return {};
    win32::Module module(LoadLibraryExA(localPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return {1, localPath + ": cannot be loaded: " + win32::systemErrorText(GetLastError())};
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    auto reg = win32::procAddress<RegisterFn>(module.get(), "DllRegisterServer");
    // A plain DLL has nothing to register.
    if (!reg) return {};
    const HRESULT hr = reg();
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        return {2, localPath + ": its registration failed (DllRegisterServer answered " + code + ")"};
    }
    return {};
}

Result FileDateSetter::apply() {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(m_date.year);
    local.wMonth = static_cast<WORD>(m_date.month);
    local.wDay = static_cast<WORD>(m_date.day);
    local.wHour = static_cast<WORD>(m_date.hour);
    local.wMinute = static_cast<WORD>(m_date.minute);
    local.wSecond = static_cast<WORD>(m_date.second);
    FILETIME localTime, utc;
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc))
        return {1, m_fileName + ": cannot be dated " + std::to_string(m_date.year) + "-" + std::to_string(m_date.month) +
                       "-" + std::to_string(m_date.day) + ": no such date"};
    win32::File file(CreateFileA(m_fileName.c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !SetFileTime(file.get(), nullptr, nullptr, &utc))
        return {1, m_fileName + ": cannot be dated: " + win32::systemErrorText(GetLastError())};
    return {};
}

} // namespace Tamberly_orvane6
