// verse_file.cpp
#include "verse_file.h"

#include <algorithm>
#include <cstring>

namespace verse_file {

std::string_view trimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.push_back(content.substr(start));
    return lines;
}

Result parseTopicFile(std::string_view content, std::string_view fileName,
                      VerseArray& verses) {
    Result r;
    verses.assign(1, VerseRecord{});
    for (std::string_view raw : splitLines(content)) {
        std::string_view line = trimBlanks(raw);
        if (line.empty()) continue;
        ++r.lineCount;
        if (dataManipulation::parseVerseLine(line, verses, r.lineCount))
            r.badLines.push_back(r.lineCount);
    }
    if (!r.badLines.empty()) r.status = Status::BadLines;

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

void checkVerseIndex(long& index, long lineCount) {
    if (index > lineCount) index = 1;
}

std::string parseFailureLogText(const std::string& path, long line) {
    return "The file " + path + " could not be parsed.  Line " + std::to_string(line) +
           " failed.  ";
}

std::string parseFailureText(const std::string& path, long line) {
    return parseFailureLogText(path, line) + kCrLf +
           "If you have modified this file, then please make sure it conforms to the "
           "requirements outlined in HELP.  " + kCrLf +
           "If you have not modified this file, then re-install the program in the "
           "Windows Control Panel.  ";
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
    if (line.size() > verse_file::kMaxLineBytes) return true;
    if (std::count(line.begin(), line.end(), '\t') != 3) return true;
    size_t t1 = line.find('\t');
    size_t t2 = line.find('\t', t1 + 1);
    size_t t3 = line.find('\t', t2 + 1);
    VerseRecord& v = verses[static_cast<size_t>(index)];
    v.book = std::string(line.substr(0, t1));
    v.chapter = std::string(line.substr(t1 + 1, t2 - t1 - 1));
    v.verse = std::string(line.substr(t2 + 1, t3 - t2 - 1));
    v.text = std::string(line.substr(t3 + 1));
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
