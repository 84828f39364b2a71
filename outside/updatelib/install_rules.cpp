// install_rules.cpp
#include "install_rules.h"

namespace Tamberly_orvane6 {
namespace {

constexpr size_t kTempDigits = 8;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

} // namespace

std::string versionText(FileVersion v) {
    return std::to_string((v >> 48) & 0xFFFF) + "." + std::to_string((v >> 32) & 0xFFFF) + "." +
           std::to_string((v >> 16) & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

SystemFileVerdict systemFileVerdict(bool installedExists, std::optional<FileVersion> installed,
                                    std::optional<FileVersion> offered) {
    if (!installedExists) return SystemFileVerdict::add;
    if (!installed || !offered) return SystemFileVerdict::unversioned;
    return *offered > *installed ? SystemFileVerdict::replace : SystemFileVerdict::notNewer;
}

bool isPatchDestination(std::string_view target, std::string_view programFolder) {
    while (!programFolder.empty() && programFolder.back() == '\\') programFolder.remove_suffix(1);
    if (programFolder.empty() || target.size() != programFolder.size() + 1 + kPatchName.size()) return false;
    return equalsNoCase(target.substr(0, programFolder.size()), programFolder) &&
           target[programFolder.size()] == '\\' && equalsNoCase(target.substr(programFolder.size() + 1), kPatchName);
}

std::string temporaryName(std::uint32_t n) {
    static const char hex[] = "0123456789ABCDEF";
    std::string name(kTemporaryPrefix);
    for (int shift = 28; shift >= 0; shift -= 4) name += hex[(n >> shift) & 0xF];
    name += kTemporarySuffix;
    return name;
}

bool isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTempDigits + kTemporarySuffix.size()) return false;
    if (!equalsNoCase(name.substr(0, kTemporaryPrefix.size()), kTemporaryPrefix) ||
        !equalsNoCase(name.substr(name.size() - kTemporarySuffix.size()), kTemporarySuffix))
        return false;
    for (char c : name.substr(kTemporaryPrefix.size(), kTempDigits))
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

} // namespace Tamberly_orvane6
