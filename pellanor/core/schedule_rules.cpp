// schedule_rules.cpp
#include "schedule_rules.h"

#include "text_fields.h"
#include "verse_file.h"

namespace schedule_rules {

namespace {
// Reads 1 or 2 digits at pos; -1 when there are none.
long digits(std::string_view s, size_t& pos) {
    long v = 0;
    size_t start = pos;
    while (pos < s.size() && pos - start < 2 && s[pos] >= '0' && s[pos] <= '9') v = v * 10 + (s[pos++] - '0');
    return pos == start ? -1 : v;
}
} // namespace

long parseTimeOfDay(std::string_view text) {
    std::string_view s = verse_file::trimBlanks(text);
    size_t pos = 0;
    long h = digits(s, pos);
    if (h < 0 || pos >= s.size() || s[pos] != ':') return -1;
    ++pos;
    long m = digits(s, pos);
    if (m < 0 || m > 59) return -1;
    long sec = 0;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        sec = digits(s, pos);
        if (sec < 0 || sec > 59) return -1;
    }
    std::string_view rest = verse_file::trimBlanks(s.substr(pos));
    if (rest.empty()) {
        if (h > 23) return -1;
    } else {
        std::string ampm = text_rules::lower(rest);
        if ((ampm != "am" && ampm != "pm") || h < 1 || h > 12) return -1;
        if (h == 12) h = 0;
        if (ampm == "pm") h += 12;
    }
    return h * 3600 + m * 60 + sec;
}

bool scheduleDue(long nowSeconds, long scheduledSeconds) {
    long d = (nowSeconds - scheduledSeconds) % kSecondsPerDay;
    if (d < 0) d += kSecondsPerDay;
    return d > 0 && d <= 15;
}

TypedTime checkTypedTime(std::string_view typed) {
    TypedTime t;
    t.text = typed;
    for (char& c : t.text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    t.seconds = parseTimeOfDay(t.text);
    if (t.seconds < 0) {
        t.refusal = "If you are going to enter the time, it needs to be formatted as follows 'hh:mm AM/PM'    ";
        t.caption = "The time was formatted incorrectly";
    } else if (t.text.find("AM") == std::string::npos && t.text.find("PM") == std::string::npos) {
        t.seconds = -1;
        t.refusal = "You need to enter either AM or PM after the time";
        t.caption = "Timer Error...";
    }
    return t;
}

std::array<std::string, 48> timeList() {
    std::array<std::string, 48> times;
    for (int i = 0; i < 48; ++i) {
        int minutes = (4 * 60 + i * 30) % (24 * 60);
        int h24 = minutes / 60;
        int h12 = h24 % 12 == 0 ? 12 : h24 % 12;
        times[static_cast<size_t>(i)] = std::to_string(h12) + (minutes % 60 ? ":30" : ":00") + (h24 < 12 ? " AM" : " PM");
    }
    return times;
}

std::string taskNameFor(std::string_view userName) {
    return OrvaneAutoUpdateMod::afterLast(userName, "\\") + "_Pellanor";
}

} // namespace schedule_rules
