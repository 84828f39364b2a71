// options_rules.cpp
#include "options_rules.h"

#include <climits>

namespace options_rules {

bool isPlainWholeNumber(const std::string& text, long& value) {
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    size_t digits = text.size() - at;
    if (digits == 0) return false;
    if (text[at] == '0' && (digits > 1 || negative)) return false;
    // Read as far as a long reaches; beyond it the value stays at the limit
    // (whatever a long's width).
    const unsigned long long limit = negative ? 0ULL - static_cast<unsigned long long>(LONG_MIN) : LONG_MAX;
    unsigned long long v = 0;
    for (size_t i = at; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        const auto digit = static_cast<unsigned long long>(c - '0');
        if (v > limit) continue;
        v = v > (limit - digit) / 10 ? limit + 1 : v * 10 + digit;
    }
    if (v > limit) v = limit;
    value = negative ? (v == limit ? LONG_MIN : -static_cast<long>(v)) : static_cast<long>(v);
    return true;
}

std::string fontSizeText(long size) { return " " + std::to_string(size); }

int fontSizeIndex(long size) {
    for (size_t i = 0; i < kFontSizes.size(); ++i)
        if (kFontSizes[i] == size) return static_cast<int>(i);
    return -1;
}

namespace {

Entry replacedBy(long value, bool notNumeric = false) { return {true, notNumeric, std::to_string(value)}; }

} // namespace

Entry sleepEntry(const std::string& entry, long current) {
    long value = 0;
    if (!isPlainWholeNumber(entry, value)) return replacedBy(current, true);
    if (value < kSnoozeMin) return replacedBy(kSnoozeMin);
    if (value <= kSnoozeMax || entry == std::to_string(kSnoozeSpecial)) return {false, false, entry};
    return replacedBy(kSnoozeMax);
}

Entry repeatEntry(size_t field, const std::string& entry, long current) {
    long value = 0;
    if (!isPlainWholeNumber(entry, value)) return replacedBy(current, true);
    if (value < 1) return replacedBy(1);
    if (value > kRepeatMax.at(field)) return replacedBy(kRepeatMax.at(field));
    return {false, false, entry};
}

bool applyOk(const Fields& fields, Settings& settings) {
    long value = 0;
    if (isPlainWholeNumber(fields.snooze, value)) settings.snoozeTime = value;
    const bool listed = fields.sizeIndex >= 0 && fields.sizeIndex < static_cast<long>(kFontSizes.size());
    if (listed) settings.verseFontSize = kFontSizes[static_cast<size_t>(fields.sizeIndex)];
    settings.chosenTranslation = fields.translation;
    settings.alerts = fields.alerts;
    for (size_t i = 0; i < fields.repeat.size(); ++i)
        if (isPlainWholeNumber(fields.repeat[i], value)) settings.repeatCount[i] = value;
    return listed;
}

} // namespace options_rules
