// verse_display.cpp
#include "verse_display.h"

#include "verse_file.h"
#include "verse_navigation.h"

namespace verse_display {

using verse_file::trimBlanks;

bool isBlank(std::string_view s) { return trimBlanks(s).empty(); }

std::string referenceText(const VerseRecord& v) {
    if (!isBlank(v.verse)) return v.book + " " + v.chapter + ":" + v.verse;
    if (!isBlank(v.chapter)) return v.book + " - " + v.chapter;
    return v.book;
}

std::string buildVerseText(std::vector<TranslationRecord>& translations, long shown,
                           long verseIndex, const VerseRecord& current, bool parallel) {
    for (TranslationRecord& t : translations) t.nameStart = -1;
    TranslationRecord& c = translations[static_cast<size_t>(shown)];
    std::string text;
    c.nameStart = 0;
    c.nameLength = static_cast<long>(c.name.size());
    text += c.name + "\r\n";
    const VerseArray& cv = c.verses;
    if (verseIndex >= 0 && static_cast<size_t>(verseIndex) < cv.size())
        text += cv[static_cast<size_t>(verseIndex)].text;
    text += "\r\n\r\n";
    if (!parallel) return text;

    std::string_view book = trimBlanks(current.book), chapter = trimBlanks(current.chapter),
                     verse = trimBlanks(current.verse);
    for (size_t i = 0; i < translations.size(); ++i) {
        if (static_cast<long>(i) == shown) continue;
        TranslationRecord& t = translations[i];
        if (t.topics.empty() || t.topics[0].currentTopic <= -1) continue;
        for (size_t j = 1; j < t.verses.size(); ++j) {
            const VerseRecord& v = t.verses[j];
            if (trimBlanks(v.book) == book && trimBlanks(v.chapter) == chapter &&
                trimBlanks(v.verse) == verse) {
                t.nameStart = static_cast<long>(text.size());
                t.nameLength = static_cast<long>(t.name.size());
                text += t.name + "\r\n" + v.text + "\r\n\r\n";
                break;
            }
        }
    }
    return text;
}

VerseBox verseBox(std::vector<TranslationRecord>& translations, long shown, const TopicList& topics,
                  long verseIndex, const VerseRecord& current, bool parallel) {
    VerseBox box;
    box.userTopic = verse_navigation::topicAt(topics, verse_navigation::shownTopic(topics)).isUserFile;
    for (TranslationRecord& t : translations) t.nameStart = -1;
    verse_navigation::translationAt(translations, shown);
    if (box.userTopic) {
        box.text = current.text;
        box.translationPanel = current.translation;
        return box;
    }
    box.text = buildVerseText(translations, shown, verseIndex, current, parallel);
    for (const TranslationRecord& t : translations) {
        if (t.topics.empty() || t.topics[0].currentTopic <= -1 || t.nameStart <= -1) continue;
        box.names.push_back(
            {richEditPosition(box.text, t.nameStart), richEditPosition(box.text, t.nameStart + t.nameLength)});
    }
    return box;
}

TopicStatus topicStatus(const TopicList& topics, long verseIndex) {
    const TopicRecord& topic = verse_navigation::topicAt(topics, verse_navigation::shownTopic(topics));
    return {" " + topic.name, versePanelText(verseIndex, topic.verseCount)};
}

TranslationStatus translationStatus(const VerseArray& verses, long verseIndex,
                                    const std::vector<TranslationRecord>& translations, long shown) {
    const VerseRecord& v = verse_navigation::verseAt(verses, verseIndex);
    if (!v.translation.empty()) return {v.translation, v.translation};
    const TranslationRecord& t = verse_navigation::translationAt(translations, shown);
    return {t.name, " " + t.name};
}

long richEditPosition(std::string_view text, long position) {
    long pairs = 0;
    size_t end = position < 0 ? 0 : static_cast<size_t>(position);
    if (end > text.size()) end = text.size();
    for (size_t i = 0; i + 1 < end; ++i)
        if (text[i] == '\r' && text[i + 1] == '\n') ++pairs;
    return position - pairs;
}

std::string statusNumber(long n) { return (n >= 0 ? " " : "") + std::to_string(n); }

std::string versePanelText(long verseIndex, long verseCount) {
    return "Verse" + statusNumber(verseIndex) + " of" + statusNumber(verseCount);
}

std::string sleepPanelText(long snoozeMinutes) {
    return "Sleep time:" + statusNumber(snoozeMinutes) + " min";
}

} // namespace verse_display
