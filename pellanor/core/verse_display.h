// verse_display.h
// What the main window shows, worked out without any window: the reference
// text, the verse box text with each translation's name range, the status
// panel texts, and the step from text positions to rich edit positions.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "verse_types.h"

namespace verse_display {

// Trimmed of blanks, empty: the test for "blank" fields.
bool isBlank(std::string_view s);

// "Book C:V"; for a thought "Author - date or page"; else the book alone.
std::string referenceText(const VerseRecord& v);

// Builds the verse box text: the shown translation's name, CR LF, its verse
// text, CR LF CR LF; then, with the parallel view on, the same for each other
// translation (table order) that is marked available (topics[0].currentTopic
// > -1) and holds a verse with the same trimmed book, chapter and verse.
// Sets nameStart/nameLength of every translation (-1 for those not shown);
// positions count CR LF as two characters. shown must be a valid index and
// verseIndex a valid index into its verses (the caller checks).
std::string buildVerseText(std::vector<TranslationRecord>& translations, long shown,
                           long verseIndex, const VerseRecord& current, bool parallel);

// A rich edit control of version 2 or later keeps one CR per line end, so a
// position that counts CR LF as two moves back by one for every CR LF before
// it.
long richEditPosition(std::string_view text, long position);

// The verse box of the shown verse. A topic of the user's own shows the
// text alone (its translation goes to the translation panel); otherwise the
// translations with their names emphasised (buildVerseText). A bad topic
// or translation index throws std::out_of_range.
struct VerseBox {
    std::string text;
    bool userTopic = false;
    std::string translationPanel; // userTopic only
    // The names to emphasise, as [start, end) rich edit positions.
    std::vector<std::pair<long, long>> names;
};
VerseBox verseBox(std::vector<TranslationRecord>& translations, long shown, const TopicList& topics,
                  long verseIndex, const VerseRecord& current, bool parallel);

// The status bar's texts, in the order the bar takes them: the topic's
// (a bad topic index throws) and then the translation's (a bad verse or
// translation index throws).
struct TopicStatus {
    std::string topicList; // the topic list's field
    std::string versePanel;
};
TopicStatus topicStatus(const TopicList& topics, long verseIndex);
struct TranslationStatus {
    std::string translationPanel;
    std::string translationList; // the translation list's field
};
TranslationStatus translationStatus(const VerseArray& verses, long verseIndex,
                                    const std::vector<TranslationRecord>& translations, long shown);

// A number as the status bar writes it: one leading blank for 0 and above.
std::string statusNumber(long n);
std::string versePanelText(long verseIndex, long verseCount); // "Verse 3 of 12"
std::string sleepPanelText(long snoozeMinutes);               // "Sleep time: 15 min"

} // namespace verse_display
