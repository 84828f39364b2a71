// verse_file.cpp
#include "verse_file.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace verse_file {

std::string_view trimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

std::string_view withoutByteOrderMark(std::string_view content) {
    return content.starts_with("\xEF\xBB\xBF") ? content.substr(3) : content;
}

namespace {

// Calls onLine for each line of content; CR LF, a lone CR and a lone LF all
// end a line.
template <typename OnLine>
void forEachLine(std::string_view content, OnLine onLine) {
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c != '\r' && c != '\n') continue;
        onLine(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) onLine(content.substr(start));
}

} // namespace

std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    forEachLine(content, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

namespace {

// The four fields of a well-formed line: exactly three TABs, and no longer
// than a line may be.
struct Fields {
    std::string_view book, chapter, verse, text;
};

bool splitFields(std::string_view line, Fields& f) {
    if (line.size() > kMaxLineBytes) return false;
    if (std::count(line.begin(), line.end(), '\t') != 3) return false;
    size_t t1 = line.find('\t');
    size_t t2 = line.find('\t', t1 + 1);
    size_t t3 = line.find('\t', t2 + 1);
    f.book = line.substr(0, t1);
    f.chapter = line.substr(t1 + 1, t2 - t1 - 1);
    f.verse = line.substr(t2 + 1, t3 - t2 - 1);
    f.text = line.substr(t3 + 1);
    return true;
}

// Calls onLine(number, fields, ok) for each non-empty line, numbered from 1,
// and gives the status and counts both the parser and the scan report.
template <typename OnLine>
Result walkTopicFile(std::string_view content, OnLine onLine) {
    Result r;
    forEachLine(content, [&](std::string_view raw) {
        std::string_view line = trimBlanks(raw);
        if (line.empty()) return;
        ++r.lineCount;
        Fields f;
        const bool ok = splitFields(line, f);
        if (!ok) r.badLines.push_back(r.lineCount);
        onLine(r.lineCount, f, ok);
    });
    if (!r.badLines.empty()) r.status = Status::BadLines;
    return r;
}

} // namespace

Result parseTopicFile(std::string_view content, std::string_view fileName,
                      VerseArray& verses) {
    verses.assign(1, VerseRecord{});
    Result r = walkTopicFile(withoutByteOrderMark(content), [&](long number, const Fields& f, bool ok) {
        verses.resize(static_cast<size_t>(number) + 1);
        if (!ok) return;
        VerseRecord& v = verses[static_cast<size_t>(number)];
        v.book = std::string(f.book);
        v.chapter = std::string(f.chapter);
        v.verse = std::string(f.verse);
        v.text = std::string(f.text);
    });

    if (fileName == kYourVersesFile) {
        for (size_t i = 1; i < verses.size(); ++i) {
            VerseRecord& v = verses[i];
            size_t colon = v.text.find(':');
            if (colon == std::string::npos) {
                r.status = Status::Unreadable;
                return r;
            }
            v.translation = v.text.substr(0, colon);
            // The writer puts one blank after the colon; a file written by
            // hand may not, and then the text starts right after it.
            size_t textStart = colon + 1;
            if (textStart < v.text.size() && v.text[textStart] == ' ') ++textStart;
            v.text = v.text.substr(textStart);
        }
    } else if (fileName == kYourThoughtsFile) {
        for (size_t i = 1; i < verses.size(); ++i) verses[i].translation = kNoTranslation;
    }

    if (r.lineCount == 0) r.status = Status::Empty;
    return r;
}

Result scanTopicFile(std::string_view content, std::string_view fileName) {
    // One pass over the bytes with the rules of the full read: lines end at
    // CR LF, CR or LF; blanks at either end do not count; a good line has
    // three TABs and fits the bound; a user's verse needs the translation
    // colon in its text (a failed line has no text, so none either). Start-up
    // checks every file of every translation this way, so the loop only
    // stops at the few bytes that matter.
    const bool needsColon = fileName == kYourVersesFile;
    enum : unsigned char { kPlain, kLineEnd, kTab, kColon };
    static const auto kinds = [] {
        std::array<unsigned char, 256> k{};
        k[static_cast<unsigned char>('\r')] = k[static_cast<unsigned char>('\n')] = kLineEnd;
        k[static_cast<unsigned char>('\t')] = kTab;
        k[static_cast<unsigned char>(':')] = kColon;
        return k;
    }();
    content = withoutByteOrderMark(content);
    bool unreadable = false;
    Result r;
    const char* p = content.data();
    const char* const end = p + content.size();
    while (p < end) {
        size_t tabs = 0;
        bool colon = false;
        const char* q = p;
        auto kindAt = [&](const char* at) { return kinds[static_cast<unsigned char>(*at)]; };
        for (;; ++q) {
            // Eight plain bytes at a time, then one by one to the next stop.
            while (end - q >= 8 && (kindAt(q) | kindAt(q + 1) | kindAt(q + 2) | kindAt(q + 3) | kindAt(q + 4) |
                                    kindAt(q + 5) | kindAt(q + 6) | kindAt(q + 7)) == kPlain)
                q += 8;
            while (q < end && kindAt(q) == kPlain) ++q;
            if (q == end) break;
            const unsigned char kind = kindAt(q);
            if (kind == kLineEnd) break;
            if (kind == kTab)
                ++tabs;
            else if (tabs == 3)
                colon = true;
        }
        const char* first = p;
        const char* last = q;
        while (first < last && *first == ' ') ++first;
        while (last > first && last[-1] == ' ') --last;
        if (first < last) {
            ++r.lineCount;
            const bool ok = tabs == 3 && static_cast<size_t>(last - first) <= kMaxLineBytes;
            if (!ok) r.badLines.push_back(r.lineCount);
            if (needsColon && (!ok || !colon)) unreadable = true;
        }
        if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q < end ? q + 1 : end;
    }
    if (!r.badLines.empty()) r.status = Status::BadLines;
    if (unreadable) {
        r.status = Status::Unreadable;
        return r;
    }
    if (r.lineCount == 0) r.status = Status::Empty;
    return r;
}

void checkVerseIndex(long& index, long lineCount) {
    if (index > lineCount) index = 1;
}

std::string parseFailureLogText(const std::string& path, long firstLine, long refused) {
    std::string s = "The file " + path + " could not be parsed.  Line " + std::to_string(firstLine) +
                    " failed";
    if (refused > 1) s += ", the first of " + std::to_string(refused) + " lines that failed";
    return s + ".  ";
}

std::string parseFailureText(const std::string& path, long firstLine, long refused) {
    return parseFailureLogText(path, firstLine, refused) + kCrLf +
           "If you have modified this file, then please make sure it conforms to the "
           "requirements outlined in HELP.  " + kCrLf +
           "If you have not modified this file, then re-install the program in the "
           "Windows Control Panel.  ";
}

DamageReport damageReport(const std::string& path, const Result& r) {
    if (r.badLines.empty()) return {};
    const long first = r.badLines.front(), refused = static_cast<long>(r.badLines.size());
    return {parseFailureLogText(path, first, refused), parseFailureText(path, first, refused)};
}

std::string emptyFileText(const std::string& path) {
    return "The file " + path + " does not have any valid verses or inspirational thoughts in it.  ";
}

std::string openFailureText(const std::string& path) {
    return "The file " + path + " could not be opened.  " + kCrLf +
           "This is usually caused by another program having the file open already.  "
           "Please close the other program and re-start this one.  ";
}

} // namespace verse_file

namespace dataManipulation {

bool parseVerseLine(std::string_view line, VerseArray& verses, long index) {
    if (index < 0) return true;
    if (verses.size() < static_cast<size_t>(index) + 1) verses.resize(static_cast<size_t>(index) + 1);
    verse_file::Fields f;
    if (!verse_file::splitFields(line, f)) return true;
    VerseRecord& v = verses[static_cast<size_t>(index)];
    v.book = std::string(f.book);
    v.chapter = std::string(f.chapter);
    v.verse = std::string(f.verse);
    v.text = std::string(f.text);
    return false;
}

long copyMemory(const void* source, void* destination, long count) {
    if (!source || !destination || count <= 0) return -1;
    std::memmove(destination, source, static_cast<size_t>(count));
    return 0;
}

long stringToBytes(const std::string& text, std::vector<unsigned char>& bytes,
                   long count, long offset) {
    if (count < 0 || offset < 0) return -1;
    if (bytes.size() < static_cast<size_t>(offset) + static_cast<size_t>(count)) return -1;
    if (text.size() < static_cast<size_t>(count)) return -1;
    std::memcpy(bytes.data() + offset, text.data(), static_cast<size_t>(count));
    return 0;
}

} // namespace dataManipulation
