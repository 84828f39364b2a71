// update_list.cpp
#include "update_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace Tamberly_orvane6 {
namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && upper(s.substr(0, prefix.size())) == upper(prefix);
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t from = 0;
    for (;;) {
        size_t at = s.find(sep, from);
        if (at == std::string_view::npos) {
            parts.push_back(s.substr(from));
            return parts;
        }
        parts.push_back(s.substr(from, at - from));
        from = at + 1;
    }
}

// A whole decimal number in [lo, hi]; no sign, blanks or other characters.
bool parseNumber(std::string_view s, long lo, long hi, long& out) {
    if (s.empty() || s.size() > 10) return false;
    long long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
    out = static_cast<long>(v);
    return true;
}

bool hasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u < 32 || u == 127;
    });
}

// A file name or absolute path as a list entry may give it.
bool isEntryName(std::string_view s) {
    return s.find('\\') == std::string_view::npos ? isPlainFileName(s) : isAbsoluteLocalPath(s);
}

bool isHttpUrl(std::string_view s) {
    if (!startsWithNoCase(s, "http://") || s.size() == 7) return false;
    return std::none_of(s.begin(), s.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u <= 32 || u == 127 || c == ',' || c == '\\';
    });
}

} // namespace

const UpdateEntry& UpdateList::at(long i) const {
    if (i < 1 || i > static_cast<long>(m_entries.size()))
        throw Error("update list entry " + std::to_string(i) + " does not exist");
    return m_entries[static_cast<size_t>(i - 1)];
}

bool UpdateList::load(std::string_view bytes, std::string& error) {
    m_entries.clear();
    error.clear();
    auto fail = [&](size_t line, const std::string& why) {
        m_entries.clear();
        error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    if (bytes.size() > kMaxListBytes) return fail(0, "the list is too long");

    std::vector<UpdateEntry> entries;
    bool header = false;
    size_t lineNo = 0;
    for (std::string_view line : split(bytes, '\n')) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!header) {
            if (line != "ORVANEF 1") return fail(lineNo, "not an update list (no \"ORVANEF 1\" header)");
            header = true;
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        auto f = split(line, '\t');
        if (f.size() != 7) return fail(lineNo, "expected 7 TAB-separated fields");
        UpdateEntry e;
        e.name = std::string(f[0]);
        if (!isEntryName(e.name)) return fail(lineNo, "unsafe or invalid file name \"" + e.name + "\"");
        if (!parseNumber(f[1], 0, 2147483647L, e.size)) return fail(lineNo, "invalid size");
        e.url = std::string(f[2]);
        if (!e.url.empty() && !isHttpUrl(e.url)) return fail(lineNo, "invalid address \"" + e.url + "\"");
        e.date = std::string(f[3]);
        if (hasControl(e.date) || e.date.find(',') != std::string::npos)
            return fail(lineNo, "invalid date field");
        const long self = static_cast<long>(entries.size()) + 1;
        if (f[4].empty()) {
            e.refIndex = self;
        } else if (!parseNumber(f[4], 0, kMaxEntries, e.refIndex)) {
            return fail(lineNo, "invalid entry reference");
        }
        e.path = std::string(f[5]);
        if (!e.path.empty() && !isAbsoluteLocalPath(e.path))
            return fail(lineNo, "unsafe or invalid destination \"" + e.path + "\"");
        e.text = std::string(f[6]);
        if (hasControl(e.text)) return fail(lineNo, "control character in the text");
        if (static_cast<long>(entries.size()) >= kMaxEntries) return fail(lineNo, "too many entries");
        entries.push_back(std::move(e));
    }
    if (!header) return fail(1, "not an update list (no \"ORVANEF 1\" header)");
    // References must name an entry of this list.
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].refIndex > static_cast<long>(entries.size()))
            return fail(0, "entry " + std::to_string(i + 1) + " refers to a missing entry");
    m_entries = std::move(entries);
    return true;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    if (hasControl(name)) return false;
    if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    // Device names stay devices whatever extension follows them.
    std::string base = upper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    // The console's two buffers are devices in every folder as well.
    static const std::array<const char*, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : plain)
        if (base == d) return false;
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '0' &&
        base[3] <= '9')
        return false;
    return true;
}

bool isRelativeFolder(std::string_view path) {
    if (path.empty()) return false;
    for (std::string_view part : split(path, '\\'))
        if (!isPlainFileName(part)) return false;
    return true;
}

bool isAbsoluteLocalPath(std::string_view path) {
    if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        path[2] != '\\')
        return false;
    return isRelativeFolder(path.substr(3));
}

std::string urlFileName(std::string_view url) {
    size_t cut = url.find_first_of("?#");
    if (cut != std::string_view::npos) url = url.substr(0, cut);
    size_t slash = url.find_last_of('/');
    if (slash == std::string_view::npos) return {};
    // "http://host" names no file.
    if (slash >= 1 && url[slash - 1] == '/' && url.find("//") == slash - 1) return {};
    return std::string(url.substr(slash + 1));
}

namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool validDay(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1601 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    return d <= days[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
}

// Reads 1 to maxDigits digits at s[pos].
bool digits(std::string_view s, size_t& pos, size_t minDigits, size_t maxDigits, int& out) {
    size_t start = pos;
    int v = 0;
    while (pos < s.size() && pos - start < maxDigits && std::isdigit(static_cast<unsigned char>(s[pos])))
        v = v * 10 + (s[pos++] - '0');
    if (pos - start < minDigits) return false;
    out = v;
    return true;
}

bool expect(std::string_view s, size_t& pos, char c) {
    if (pos >= s.size() || s[pos] != c) return false;
    ++pos;
    return true;
}

// "H:MM" or "H:MM:SS", then optionally " AM"/" PM" when twelveHour.
bool parseTime(std::string_view s, size_t& pos, bool allowAmPm, FileDate& d) {
    if (!digits(s, pos, 1, 2, d.hour) || !expect(s, pos, ':') || !digits(s, pos, 2, 2, d.minute))
        return false;
    d.second = 0;
    if (pos < s.size() && s[pos] == ':' && !(++pos, digits(s, pos, 2, 2, d.second))) return false;
    if (allowAmPm && pos < s.size()) {
        std::string rest = upper(s.substr(pos));
        if (rest != " AM" && rest != " PM") return false;
        if (d.hour < 1 || d.hour > 12) return false;
        if (rest == " AM" && d.hour == 12) d.hour = 0;
        if (rest == " PM" && d.hour != 12) d.hour += 12;
        pos = s.size();
    }
    return d.hour <= 23 && d.minute <= 59 && d.second <= 59;
}

} // namespace

bool parseDate(std::string_view s, FileDate& out) {
    FileDate d;
    size_t pos = 0;
    bool us = s.find('/') != std::string_view::npos;
    if (us) {
        if (!digits(s, pos, 1, 2, d.month) || !expect(s, pos, '/') || !digits(s, pos, 1, 2, d.day) ||
            !expect(s, pos, '/') || !digits(s, pos, 4, 4, d.year))
            return false;
    } else {
        if (!digits(s, pos, 4, 4, d.year) || !expect(s, pos, '-') || !digits(s, pos, 2, 2, d.month) ||
            !expect(s, pos, '-') || !digits(s, pos, 2, 2, d.day))
            return false;
    }
    if (!validDay(d.year, d.month, d.day)) return false;
    if (pos < s.size()) {
        if (!(s[pos] == ' ' || (!us && s[pos] == 'T'))) return false;
        ++pos;
        if (!parseTime(s, pos, us, d) || pos != s.size()) return false;
    }
    out = d;
    return true;
}

} // namespace Tamberly_orvane6
