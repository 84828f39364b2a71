// verse_entry.cpp
#include "verse_entry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace verse_entry {

const std::array<const char*, 66> kBooks = {
    "Genesis",        "Exodus",          "Leviticus",        "Numbers",
    "Deuteronomy",    "Joshua",          "Judges",           "Ruth",
    "I Samuel",       "II Samuel",       "I Kings",          "II Kings",
    "I Chronicles",   "II Chronicles",   "Ezra",             "Nehemiah",
    "Esther",         "Job",             "Psalms",           "Proverbs",
    "Ecclesiastes",   "The Song of Solomon", "Isaiah",       "Jeremiah",
    "Lamentations",   "Ezekiel",         "Daniel",           "Hosea",
    "Joel",           "Amos",            "Obadiah",          "Jonah",
    "Micah",          "Nahum",           "Habakkuk",         "Zephaniah",
    "Haggai",         "Zechariah",       "Malachi",          "Matthew",
    "Mark",           "Luke",            "John",             "Acts",
    "Romans",         "I Corinthians",   "II Corinthians",   "Galatians",
    "Ephesians",      "Philippians",     "Colossians",       "I Thessalonians",
    "II Thessalonians", "I Timothy",     "II Timothy",       "Titus",
    "Philemon",       "Hebrews",         "James",            "I Peter",
    "II Peter",       "I John",          "II John",          "III John",
    "Jude",           "Revelation"};

std::string instructionsText() {
    static const char* const lines[] = {
        "INSTRUCTIONS: ",
        "1. Choose whether this is a Scripture Verse or Inspirational Thought.",
        "2. Fill in all the fields which are shown (use the tab key).",
        "3. Press the ADD button.",
        "4. Repeat steps 2 & 3 until you are finished.",
        "5. Press the DONE button to return to the main program.",
        "6. After you return to the main program, click on the subjects drop-down in the lower "
        "left of     the program window.",
        "7. Select 'User Verses and Inspirational Thoughts'.",
        "8. Press the NEXT VERSE button to step through the items you have just added.",
        "",
        "NOTE: You can paste into all fields as follow.",
        "1. Click on the field you want to paste into.",
        "2. Press the PASTE button -or- type CTRL-V -or- right click on the field and select PASTE."};
    std::string s;
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        if (i) s += "\r\n";
        s += lines[i];
    }
    return s;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number at the start of text, read as far as it can go: sign, digits,
// a decimal point and digits, an exponent (e or d) with its digits. No
// digits at all reads as 0.
double leadingNumber(std::string_view text) {
    size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    std::string token;
    if (i < n && (text[i] == '+' || text[i] == '-')) token += text[i++];
    bool digits = false;
    while (i < n && isDigit(text[i])) {
        token += text[i++];
        digits = true;
    }
    if (i < n && text[i] == '.') {
        token += text[i++];
        while (i < n && isDigit(text[i])) {
            token += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) exponent += text[j++];
            token += exponent;
        }
    }
    // The token holds only ASCII digits, signs, "." and "e": strtod reads it
    // the same in every locale that uses "." (the program sets none).
    return std::strtod(token.c_str(), nullptr);
}

} // namespace

Chapter checkChapter(std::string_view text) {
    double value = leadingNumber(text);
    if (!std::isfinite(value)) return Chapter::OutOfRange;
    // Whole number to the nearest, halves to even.
    double whole = std::nearbyint(value);
    if (whole < static_cast<double>(std::numeric_limits<int>::min()) ||
        whole > static_cast<double>(std::numeric_limits<int>::max()))
        return Chapter::OutOfRange;
    std::string formatted = std::to_string(static_cast<long long>(whole));
    return formatted == text ? Chapter::Passes : Chapter::NotNumeric;
}

std::string verseLine(std::string_view book, std::string_view chapter, std::string_view verse,
                      std::string_view translationAndText) {
    std::string s;
    s.append(book).append("\t").append(chapter).append("\t").append(verse).append("\t");
    s.append(translationAndText).append("\r\n");
    return s;
}

std::string thoughtLine(std::string_view author, std::string_view date, std::string_view thought) {
    std::string s;
    s.append(author).append("\t").append(date).append("\t\t").append(thought).append("\r\n");
    return s;
}

bool splitTranslation(std::string_view column, std::string& translation, std::string& text) {
    size_t colon = column.find(':');
    if (colon == std::string_view::npos) return false;
    translation = std::string(column.substr(0, colon));
    // Only the blank the dialog writes after the colon is dropped.
    size_t textStart = colon + 1;
    if (textStart < column.size() && column[textStart] == ' ') ++textStart;
    text = std::string(column.substr(textStart));
    return true;
}

std::string pasteInto(std::string_view text, std::string_view clip, long selStart, long selLength) {
    long length = static_cast<long>(text.size());
    if (selLength - selStart == length) return std::string(clip);
    long start = selStart < 0 ? 0 : (selStart > length ? length : selStart);
    long end = selLength < 0 ? start : start + selLength;
    if (end > length) end = length;
    std::string s(text.substr(0, static_cast<size_t>(start)));
    s.append(clip);
    s.append(text.substr(static_cast<size_t>(end)));
    return s;
}

std::string setAsideName(std::string_view path, int year, int month, int day, int hour,
                         int minute, int second, int attempt) {
    char stamp[128];
    std::snprintf(stamp, sizeof stamp, ".rejected-%04d%02d%02d-%02d%02d%02d", year, month, day,
                  hour, minute, second);
    std::string s(path);
    s += stamp;
    if (attempt > 1) s += "-" + std::to_string(attempt);
    return s;
}

} // namespace verse_entry
