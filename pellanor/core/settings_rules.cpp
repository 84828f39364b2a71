// settings_rules.cpp
#include "settings_rules.h"

#include <cstdio>

#include "text_fields.h"
#include "verse_file.h"

namespace settings_rules {

using verse_file::trimBlanks;

bool isBooleanText(std::string_view s) {
    std::string t = text_rules::lower(trimBlanks(s));
    return t == "true" || t == "false";
}

std::string normaliseBoolean(std::string_view value) {
    return text_rules::lower(trimBlanks(value)) == "true" ? "true" : "false";
}

bool toBoolean(std::string_view normalised) {
    return text_rules::lower(trimBlanks(normalised)) == "true";
}

bool parseLong(std::string_view text, long& out) {
    std::string t(trimBlanks(text));
    if (t.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return false;
    out = static_cast<long>(v);
    return true;
}

long limited(std::string_view text, long lo, long hi, long invalid) {
    long v = 0;
    if (!parseLong(text, v) || v < lo || v > hi) return invalid;
    return v;
}

long limited(std::string_view text, const Setting& setting) {
    return limited(text, setting.lo, setting.hi, setting.invalid);
}

long repeatCounter(std::string_view text) { return limited(text, settings::repeatCounter); }
long repeatTopicCtr(std::string_view text) { return limited(text, settings::repeatTopicCtr); }
long verseFontSize(std::string_view text) { return limited(text, settings::verseFontSize); }

int referenceBoxFor(long fontSize) { return fontSize < 10 ? 0 : fontSize < 14 ? 1 : 2; }

long snoozeTime(std::string_view text) {
    long v = 0;
    if (parseLong(text, v) && v == kSnoozeAtOnce) return kSnoozeAtOnce;
    return limited(text, settings::snoozeTime);
}

long verseIndex(std::string_view text) {
    long v = 0;
    if (!parseLong(text, v) || v < settings::newVerseIndex.lo) return settings::newVerseIndex.invalid;
    return v;
}

void fixAlerts(bool& audio, bool& visual, bool& desktop) {
    if (!audio && !visual && !desktop) audio = visual = true;
}

std::string schedulerTime(std::string_view stored) {
    return stored.empty() ? std::string("8:00 AM") : std::string(stored);
}

std::string topicFile(std::string_view stored) {
    if (trimBlanks(stored).empty() || stored.find(".txt") == std::string_view::npos)
        return kDefaultTopicFile;
    return std::string(stored);
}

bool autoStartIsOn(bool readOk, std::string_view value) {
    if (!readOk) return false;
    std::string t(trimBlanks(value));
    return !t.empty() && t != kRunValueOff;
}

std::string quotedProgramPath(std::string_view folder, std::string_view exeBaseName) {
    std::string s = "\"";
    s.append(folder).append("\\").append(exeBaseName).append(".exe\"");
    return s;
}

std::string lastUpdateText(unsigned long long fileTime) {
    double ms = static_cast<double>(fileTime / 10000ULL) +
                static_cast<double>(fileTime % 10000ULL) / 10000.0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", ms + 69.0);
    return buf;
}

} // namespace settings_rules
