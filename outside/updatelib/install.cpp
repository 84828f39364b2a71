// install.cpp
// Registration of downloaded components and file dates.
#include "updatelib.h"

#include <cctype>

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

void ComponentInstaller::install(const std::string& localPath, const std::string& matchedPath, long& result) {
    result = 0;
    if (!m_register || localPath.empty() || !isComponent(localPath) || lower(localPath) != lower(matchedPath))
        return;
    win32::Module module(LoadLibraryExA(localPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        result = 1;
        return;
    }
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    auto reg = win32::procAddress<RegisterFn>(module.get(), "DllRegisterServer");
    // A plain DLL has nothing to register.
    if (!reg) return;
    result = FAILED(reg()) ? 2 : 0;
}

void FileDateSetter::apply(long& result) {
    result = 1;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(m_date.year);
    local.wMonth = static_cast<WORD>(m_date.month);
    local.wDay = static_cast<WORD>(m_date.day);
    local.wHour = static_cast<WORD>(m_date.hour);
    local.wMinute = static_cast<WORD>(m_date.minute);
    local.wSecond = static_cast<WORD>(m_date.second);
    FILETIME localTime, utc;
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) return;
    win32::File file(CreateFileA(m_fileName.c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    if (SetFileTime(file.get(), nullptr, nullptr, &utc)) result = 0;
}

} // namespace Tamberly_orvane6
