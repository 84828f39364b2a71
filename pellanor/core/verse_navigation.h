// verse_navigation.h
// How the main window moves through the library: a step within a topic,
// the order of verses across topics with its repeat counts, a change of
// topic or translation (keeping the verse when it can), and the parallel
// view's topic in the other translations. Files are read through a reader
// the caller gives, so the rules run without a window or a disk.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "verse_types.h"

namespace verse_navigation {

// The library as the main window shows it: the program-wide variables,
// by reference.
struct Library {
    std::vector<TranslationRecord>& translations;
    long& current;        // the shown translation
    TopicList& topics;    // the shown translation's topics; element 0 holds the shown one's index
    VerseArray& verses;   // the shown topic's verses
    long& verseIndex;     // 1-based
    std::string root;     // program folder, no trailing "\"
    bool parallel = true; // the other translations are shown beneath
    // How often each verse (0) and each topic (1) is shown: the showings
    // left, counted down, and the counts they are reloaded from.
    std::array<long, 2>& repeatsLeft;
    std::array<long, 2> repeatCounts{1, 1};
};

// Reads a topic file into verses with its line count; false, with the
// reader's own words for the failure, when it cannot be read or is damaged.
using ReadTopic =
    std::function<bool(const std::string& path, VerseArray& verses, long& lineCount, std::string& message)>;

// The shown topic's index in topics (-1 when there is none); what it points
// at is checked by topicAt.
long shownTopic(const TopicList& topics);
// An element by index; a bad index throws std::out_of_range (the caller's
// failure road reports it).
const TopicRecord& topicAt(const TopicList& topics, long index);
TranslationRecord& translationAt(std::vector<TranslationRecord>& translations, long index);
const TranslationRecord& translationAt(const std::vector<TranslationRecord>& translations, long index);
const VerseRecord& verseAt(const VerseArray& verses, long index);

// Next after the last verse of the shown topic is the first; previous
// before the first is the last.
void nextVerse(Library& library);
void previousVerse(Library& library);

// The order the wake-ups and the close step through: the next verse of the
// topic; past its last verse the topic again from verse 1 while its repeat
// count (repeatsLeft[1], counted down here) lasts; then the next topic
// (after the last, the first), which the caller changes to.
struct OrderStep {
    enum class Kind { NextVerse, TopicAgain, NextTopic } kind = Kind::NextVerse;
    long topic = -1; // NextTopic: the topic to change to
};
OrderStep nextInOrder(Library& library);

// A showing of the verse counts against its repeat count: true when it has
// been shown often enough, so that the order moves on (the caller then
// reloads the count with reloadShowings).
bool showingCounted(Library& library);
void reloadShowings(Library& library);

// A change that could not read its file leaves the topic as it was; the
// reader's words are in message.
struct Change {
    bool done = false;
    std::string message;
};

// Shows another topic of the shown translation from verse 1, its repeat
// counts reloaded, with the other translations' same topic for the
// parallel view.
Change changeTopic(Library& library, long topicIndex, const ReadTopic& read);

// Shows another translation: the same topic at the same verse number when
// the translation has them; a translation without the topic shows its
// first topic from verse 1, one whose file is shorter verse 1.
Change changeTranslation(Library& library, long translationIndex, const ReadTopic& read);

// Loads fileName of every other translation for the parallel view; one
// whose file cannot be read is marked unavailable as a whole (a single
// blank verse, currentTopic -1).
void loadParallel(Library& library, const std::string& fileName, const ReadTopic& read);

// After the library was read the other translations hold the topic saved
// at the last close; where another topic is shown (the saved one was
// gone), they load that one.
void parallelFollowsShownTopic(Library& library, const ReadTopic& read);

// The messages of a change that could not read its file.
std::string changeTopicFailureText(const std::string& readerMessage);
std::string changeTranslationFailureText(const std::string& readerMessage);
inline constexpr const char* kChangeTopicCaption = "Error Changing Subjects";
inline constexpr const char* kChangeTranslationCaption = "Error Changing Translations";

} // namespace verse_navigation
