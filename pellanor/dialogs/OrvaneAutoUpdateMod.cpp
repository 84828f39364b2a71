// OrvaneAutoUpdateMod.cpp
// Text helpers and addresses of the auto-update dialog.
#include <cctype>

#include "OrvaneAutoUpdate.h"
#include "registry.h"
#include "settings_rules.h"
#include "text_fields.h"

namespace OrvaneAutoUpdateMod {
namespace {

// "host" or "host:port": letters, digits, dots and dashes, an optional port.
bool isHostSetting(const std::string& s) {
    if (s.empty() || s.size() > 253) return false;
    size_t colon = s.find(':');
    std::string host = s.substr(0, colon);
    if (host.empty() || host.front() == '.' || host.front() == '-') return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') return false;
    if (colon == std::string::npos) return true;
    std::string port = s.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    for (char c : port)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    long n = std::stol(port);
    return n >= 1 && n <= 65535;
}

} // namespace

std::string afterLast(const std::string& text, const std::string& delim) {
    if (delim.empty()) return text;
    size_t at = text.rfind(delim);
    return at == std::string::npos ? text : text.substr(at + delim.size());
}

std::string getField(const std::string& text, long n, const std::string& delim) {
    if (n < 0 || delim.empty()) return n == 0 ? text : std::string();
    size_t from = 0;
    for (long i = 0; i < n; ++i) {
        size_t at = text.find(delim, from);
        if (at == std::string::npos) return {};
        from = at + delim.size();
    }
    size_t end = text.find(delim, from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

std::string updateServer() {
    std::string s = registry::getSetting(settings_rules::settings::updateServer);
    return isHostSetting(s) ? s : kDefaultUpdateServer;
}

std::string listAddress(const std::string& base, int n) { return base + std::to_string(n) + ".orvanef"; }

std::string patchListAddress(const std::string& base, long major, long minor) {
    return base + "Patch" + std::to_string(major) + std::to_string(minor) + ".orvanef";
}

bool isInside(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    std::string f = text_rules::lower(folder);
    if (f.back() != '\\') f += '\\';
    std::string p = text_rules::lower(path);
    return p.size() >= f.size() && p.compare(0, f.size(), f) == 0;
}

} // namespace OrvaneAutoUpdateMod
