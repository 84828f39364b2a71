// verse_entry.cpp
#include "verse_entry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "text_fields.h"
#include "verse_file.h"

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
        "6. After you return to the main program, click on the subjects drop-down in the lower left of     the program window.",
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

std::string fileContent(bool verses, const Rows& rows) {
    std::string content;
    for (const Row& r : rows)
        content += verses ? verseLine(r.at(0), r.at(1), r.at(2), r.at(3)) : thoughtLine(r.at(0), r.at(1), r.at(2));
    return content;
}

std::array<std::string, 5> verseDefaults() { return {"Select a Book", "chapter", "verse", "translation", ""}; }

std::array<std::string, 3> thoughtDefaults() { return {"Please delete if unused", "Please delete if unused", ""}; }

Key keyOf(const VerseEntry& e) { return {e.book, e.fields[1], e.fields[2], e.fields[4], ""}; }

Key keyOf(const ThoughtEntry& e) { return {e.fields[0], e.fields[1], e.fields[2], "", ""}; }

Row rowOf(const VerseEntry& e) { return {e.book, e.fields[1], e.fields[2], e.fields[3] + ": " + e.fields[4]}; }

Row rowOf(const ThoughtEntry& e) { return {e.fields[0], e.fields[1], e.fields[2]}; }

namespace {

const char* const kVerseCaption = "Verse Has Not Been Added";
const char* const kThoughtCaption = "Inspirational Thought Has Not Been Added";

Verdict refused(int field, std::string text, const char* caption) {
    Verdict v;
    v.ruling = Verdict::Ruling::Refused;
    v.field = field;
    v.text = std::move(text);
    v.caption = caption;
    return v;
}

std::string controlCodeText(const std::string& value) {
    return "The line" + value + " contains invalid character(s).   \r\nYou can only enter characters from the keyboard";
}

// An entry longer than a topic-file line may be would make a file the
// reader refuses; it is refused first (before the rules whose messages
// quote the field). line ends in CR LF.
bool tooLong(const std::string& line, int field, const char* caption, Verdict& v) {
    size_t length = line.size() - 2;
    if (length <= verse_file::kMaxLineBytes) return false;
    v = refused(field,
                "This entry is too long to be kept.  With all of its fields it can have at most " +
                    std::to_string(verse_file::kMaxLineBytes) + " characters, and it has " +
                    std::to_string(length) + ".  Please shorten it.   ",
                caption);
    return true;
}

// The verse fields' rules, member by member: unchanged, blank, control codes.
bool verseFieldFails(const VerseEntry& e, const std::array<std::string, 5>& defaults, Verdict& v) {
    for (size_t i = 0; i < e.fields.size(); ++i) {
        const int field = static_cast<int>(i);
        const std::string trimmed(verse_file::trimBlanks(e.fields[i]));
        if (trimmed == defaults[i]) {
            v = refused(field,
                        "You need to change all of the fields.  The following field has not been "
                        "changed:  >> " + defaults[i] + " <<   ",
                        kVerseCaption);
            return true;
        }
        if (trimmed.empty()) {
            v = refused(field, "You cannot leave any fields blank." + defaults[i], kVerseCaption);
            v.restoreDefault = true;
            return true;
        }
        if (text_rules::hasControlCodes(e.fields[i])) {
            v = refused(field, controlCodeText(e.fields[i]), kVerseCaption);
            return true;
        }
    }
    return false;
}

} // namespace

Verdict checkVerse(const VerseEntry& e, const std::array<std::string, 5>& defaults, const Key& lastAdded,
                   bool update) {
    Verdict v;
    const Row row = rowOf(e);
    if (tooLong(verseLine(row[0], row[1], row[2], row[3]), 4, kVerseCaption, v)) return v;
    if (verseFieldFails(e, defaults, v)) return v;
    // The colon separates translation and text in the file.
    if (e.fields[3].find(':') != std::string::npos)
        return refused(3, "The Translation cannot contain a colon.  Please remove it.   ", kVerseCaption);
    if (e.book == defaults[0]) {
        v = refused(kBookList, "You did not select a Book of the Bible.  Please select one now.  ", kVerseCaption);
        v.openBookList = true;
        return v;
    }
    switch (checkChapter(e.fields[1])) {
    case Chapter::Passes:
        break;
    case Chapter::NotNumeric:
        return refused(1, "You can only enter a numeric value in the Chapter field in Step 2.   ", kVerseCaption);
    case Chapter::OutOfRange:
        v.ruling = Verdict::Ruling::Failed;
        return v;
    }
    if (!update && keyOf(e) == lastAdded)
        return refused(1, "The information you just entered is the same as the verse you added the last time.   ",
                       kVerseCaption);
    return v;
}

Verdict checkThought(const ThoughtEntry& e, const std::array<std::string, 3>& defaults, const Key& lastAdded,
                     bool update) {
    Verdict v;
    if (tooLong(thoughtLine(e.fields[0], e.fields[1], e.fields[2]), 2, kThoughtCaption, v)) return v;
    for (size_t i = 0; i < e.fields.size(); ++i) {
        const int field = static_cast<int>(i);
        if (verse_file::trimBlanks(e.fields[i]) == defaults[i])
            return refused(field,
                           i == 2 ? "You need to enter your Inspirational Thought in Step 3.  "
                                  : "The fields in Step 2 need to be either:\r\n  1. Changed from the default "
                                    "values.\r\n  2. Erased.   ",
                           kThoughtCaption);
        if (text_rules::hasControlCodes(e.fields[i]))
            return refused(field, controlCodeText(e.fields[i]), kThoughtCaption);
    }
    if (!update && keyOf(e) == lastAdded) {
        v = refused(2,
                    "The information you just entered is the same as the Inspirational Thought you added the "
                    "last time.   ",
                    kThoughtCaption);
        v.restoreDefault = true;
    }
    return v;
}

void ColumnSort::click(long clicked) {
    descending = clicked == column && !descending;
    column = clicked;
}

std::vector<size_t> sortOrder(const Rows& rows, size_t key, bool descending,
                              const std::function<int(const std::string&, const std::string&)>& compare) {
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        int c = compare(rows[a].at(key), rows[b].at(key));
        return descending ? c > 0 : c < 0;
    });
    return order;
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
