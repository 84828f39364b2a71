// verse_types.h
// The records of the verse library: one verse or thought, one topic file,
// one installed translation. Text is kept as the file's ANSI bytes.
#pragma once

#include <string>
#include <vector>

struct VerseRecord {
    std::string book;        // book name; for a thought, the author
    std::string chapter;     // chapter; for a thought, the date or page
    std::string verse;       // verse number(s); empty for a thought
    std::string text;        // verse text or thought
    std::string translation; // "Your Verses.txt" only: the translation name
};

// A verse array is 0-based with element 0 never filled: verse n of a topic
// is element n and the topic's verse count is size() - 1.
using VerseArray = std::vector<VerseRecord>;

inline long verseCountOf(const VerseArray& v) {
    return v.empty() ? 0 : static_cast<long>(v.size()) - 1;
}

struct TopicRecord {
    std::string name;      // file name up to its first "."
    std::string fileName;  // file name with extension, as found
    long verseCount = 0;
    // Element 0 only: index of the shown topic in this list, -1 while the
    // saved topic was not found here (in another translation's list: the
    // parallel view's mark, -1 when the shown topic failed to load there).
    long currentTopic = 0;
    std::string folder;    // full folder path, ending in "\"
    bool isUserFile = false;
};

// A topic list is 0-based and dense; an empty list still holds element 0.
using TopicList = std::vector<TopicRecord>;

struct TranslationRecord {
    std::string name;      // folder name after its first "_"
    std::string folder;    // "TRANSLATION_" + name; saved as "translation"
    long count = 0;        // number of translations, element 0 only
    long nameStart = -1;   // position of the name in the verse box text
    long nameLength = 0;
    VerseArray verses;     // current topic's verses in this translation
    TopicList topics;
};
