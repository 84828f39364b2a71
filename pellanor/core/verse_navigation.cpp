// verse_navigation.cpp
#include "verse_navigation.h"

#include <stdexcept>
#include <utility>

namespace verse_navigation {

namespace {

// Vec is a vector, const or not.
template <typename Vec>
auto& element(Vec& v, long i) {
    if (i < 0 || static_cast<size_t>(i) >= v.size()) throw std::out_of_range("index");
    return v[static_cast<size_t>(i)];
}

TopicRecord& shownTopicRecord(Library& library) { return element(library.topics, shownTopic(library.topics)); }

} // namespace

long shownTopic(const TopicList& topics) { return topics.empty() ? -1 : topics[0].currentTopic; }

const TopicRecord& topicAt(const TopicList& topics, long index) {
    return element(topics, index);
}

TranslationRecord& translationAt(std::vector<TranslationRecord>& translations, long index) {
    return element(translations, index);
}

const TranslationRecord& translationAt(const std::vector<TranslationRecord>& translations, long index) {
    return element(translations, index);
}

const VerseRecord& verseAt(const VerseArray& verses, long index) {
    return element(verses, index);
}

void nextVerse(Library& library) {
    long count = shownTopicRecord(library).verseCount;
    library.verseIndex += 1;
    if (library.verseIndex > count) library.verseIndex = 1;
}

void previousVerse(Library& library) {
    long count = shownTopicRecord(library).verseCount;
    library.verseIndex -= 1;
    if (library.verseIndex < 1) library.verseIndex = count;
}

OrderStep nextInOrder(Library& library) {
    long& topicRepeatsLeft = library.repeatsLeft[1];
    long shown = shownTopic(library.topics);
    if (library.verseIndex < topicAt(library.topics, shown).verseCount) {
        library.verseIndex += 1;
        return {OrderStep::Kind::NextVerse, -1};
    }
    topicRepeatsLeft -= 1;
    if (topicRepeatsLeft > 0) {
        library.verseIndex = 1;
        return {OrderStep::Kind::TopicAgain, -1};
    }
    long next = shown + 1;
    if (next > static_cast<long>(library.topics.size()) - 1) next = 0;
    return {OrderStep::Kind::NextTopic, next};
}

bool showingCounted(Library& library) {
    library.repeatsLeft[0] -= 1;
    return library.repeatsLeft[0] < 1;
}

void reloadShowings(Library& library) { library.repeatsLeft[0] = library.repeatCounts[0]; }

Change changeTopic(Library& library, long topicIndex, const ReadTopic& read) {
    TopicRecord& topic = element(library.topics, topicIndex);
    Change change;
    long lines = 0;
    VerseArray loaded;
    if (!read(topic.folder + topic.fileName, loaded, lines, change.message)) return change;
    library.topics[0].currentTopic = topicIndex;
    library.verses = std::move(loaded);
    element(library.translations, library.current).verses = library.verses;
    library.verseIndex = 1;
    library.repeatsLeft = library.repeatCounts;
    topic.verseCount = lines;
    if (library.parallel && !topic.isUserFile) loadParallel(library, topic.fileName, read);
    change.done = true;
    return change;
}

Change changeTranslation(Library& library, long translationIndex, const ReadTopic& read) {
    long remembered = library.verseIndex;
    const TopicRecord& shown = shownTopicRecord(library);
    std::string file = shown.fileName;
    std::string shownFolder = shown.folder;
    TranslationRecord& t = element(library.translations, translationIndex);
    if (t.topics.empty()) throw std::out_of_range("topics");
    std::string path;
    long found = -1;
    for (size_t j = 0; j < t.topics.size(); ++j)
        if (t.topics[j].fileName == file) {
            found = static_cast<long>(j);
            break;
        }
    if (found >= 0) {
        t.topics[0].currentTopic = found;
        path = t.topics[static_cast<size_t>(found)].isUserFile ? shownFolder + file
                                                               : library.root + "\\" + t.folder + "\\" + file;
    } else {
        t.topics[0].currentTopic = 0;
        remembered = 1;
        file = t.topics[0].fileName;
        path = library.root + "\\" + t.folder + "\\" + file;
    }
    Change change;
    long lines = 0;
    VerseArray loaded;
    if (!read(path, loaded, lines, change.message)) return change;
    // The same verse number, when this translation's file has it.
    library.verseIndex = remembered <= lines ? remembered : 1;
    library.current = translationIndex;
    library.verses = std::move(loaded);
    t.verses = library.verses;
    TopicRecord& current = t.topics[static_cast<size_t>(t.topics[0].currentTopic)];
    current.verseCount = lines;
    library.topics = t.topics;
    if (library.parallel && !current.isUserFile) loadParallel(library, file, read);
    change.done = true;
    return change;
}

void loadParallel(Library& library, const std::string& fileName, const ReadTopic& read) {
    for (long i = 0; i < static_cast<long>(library.translations.size()); ++i) {
        if (i == library.current) continue;
        TranslationRecord& t = library.translations[static_cast<size_t>(i)];
        if (t.topics.empty()) t.topics.assign(1, TopicRecord{});
        long lines = 0;
        std::string message;
        VerseArray loaded;
        if (!read(library.root + "\\" + t.folder + "\\" + fileName, loaded, lines, message)) {
            t.verses.assign(1, VerseRecord{});
            t.topics[0].currentTopic = -1;
        } else {
            t.verses = std::move(loaded);
            t.topics[0].currentTopic = 0;
        }
    }
}

void parallelFollowsShownTopic(Library& library, const ReadTopic& read) {
    long k = shownTopic(library.topics);
    if (k < 0 || static_cast<size_t>(k) >= library.topics.size()) return;
    const TopicRecord& shown = library.topics[static_cast<size_t>(k)];
    if (!library.parallel || shown.isUserFile) return;
    const std::string file = shown.fileName;
    for (long i = 0; i < static_cast<long>(library.translations.size()); ++i) {
        const TopicList& topics = library.translations[static_cast<size_t>(i)].topics;
        long held = shownTopic(topics);
        bool holdsShown = held >= 0 && static_cast<size_t>(held) < topics.size() &&
                          topics[static_cast<size_t>(held)].fileName == file;
        if (i != library.current && !holdsShown) {
            loadParallel(library, file, read);
            return;
        }
    }
}

std::string changeTopicFailureText(const std::string& readerMessage) {
    return "The following error occurred trying to change subjects:\r\n\r\n" + readerMessage +
           "\r\n\r\nThe subject will NOT be changed";
}

std::string changeTranslationFailureText(const std::string& readerMessage) {
    return "The following error occurred trying to change Translations:\r\n\r\n" + readerMessage +
           "\r\n\r\nThe translation will NOT be changed";
}

} // namespace verse_navigation
