// verse_file_fuzz.cpp
// Feeds arbitrary bytes to the topic-file reader, as both a shipped topic
// and the user's verses file, and checks the invariants callers rely on,
// and that the check without verses agrees with the full read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "verse_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view content(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"Topic.txt", "Your Verses.txt", "Your Inspirational Thoughts.txt"}) {
        VerseArray verses;
        verse_file::Result r = verse_file::parseTopicFile(content, name, verses);
        // The start-up check without verses must judge every file alike.
        verse_file::Result scan = verse_file::scanTopicFile(content, name);
        if (scan.status != r.status || scan.lineCount != r.lineCount || scan.badLines != r.badLines) std::abort();
        if (r.status == verse_file::Status::Unreadable) continue;
        // Every counted line has its record; element 0 is never filled.
        if (verseCountOf(verses) != r.lineCount) std::abort();
        if (!verses[0].book.empty() || !verses[0].text.empty()) std::abort();
        for (long bad : r.badLines)
            if (bad < 1 || bad > r.lineCount) std::abort();
        for (size_t i = 1; i < verses.size(); ++i)
            if (verses[i].book.find('\t') != std::string::npos ||
                verses[i].text.find('\n') != std::string::npos)
                std::abort();
        long index = static_cast<long>(size % 50);
        verse_file::checkVerseIndex(index, r.lineCount);
        if (index > r.lineCount && index != 1) std::abort();
    }
    return 0;
}
