// verse_display_test.cpp
#include "verse_display.h"

#include <gtest/gtest.h>

namespace {

VerseRecord verse(const std::string& book, const std::string& chapter, const std::string& v, const std::string& text) {
    VerseRecord r;
    r.book = book;
    r.chapter = chapter;
    r.verse = v;
    r.text = text;
    return r;
}

TranslationRecord translation(const std::string& name, VerseArray verses, long currentTopic) {
    TranslationRecord t;
    t.name = name;
    t.verses = std::move(verses);
    t.topics.assign(1, TopicRecord{});
    t.topics[0].currentTopic = currentTopic;
    return t;
}

TEST(VerseDisplay, ReferenceText) {
    EXPECT_EQ(verse_display::referenceText(verse("John", "3", "16", "")), "John 3:16");
    EXPECT_EQ(verse_display::referenceText(verse("Augustine", "Confessions", "  ", "")), "Augustine - Confessions");
    EXPECT_EQ(verse_display::referenceText(verse("Anonymous", " ", "", "")), "Anonymous");
}

// The other translations follow when they hold the same reference (blanks
// around the fields do not count) and their topic is available; each name's
// place counts CR LF as two.
TEST(VerseDisplay, TheParallelViewListsTranslationsHoldingTheSameVerse) {
    VerseArray kjv{{}, verse("Isaiah", "26", "3", "Thou wilt keep him")};
    std::vector<TranslationRecord> t{
        translation("KJV", kjv, 0),
        translation("Gone", {{}, verse("Isaiah", "26", "3", "not available")}, -1),
        translation("Other", {{}, verse("Isaiah", "26", "4", "wrong verse")}, 0),
        translation("WEB", {{}, verse("Psalms", "1", "1", "x"), verse(" Isaiah", "26 ", "3", "You will keep")}, 0),
    };
    std::string text = verse_display::buildVerseText(t, 0, 1, kjv[1], true);
    EXPECT_EQ(text, "KJV\r\nThou wilt keep him\r\n\r\nWEB\r\nYou will keep\r\n\r\n");
    EXPECT_EQ(t[0].nameStart, 0);
    EXPECT_EQ(t[0].nameLength, 3);
    EXPECT_EQ(t[1].nameStart, -1);
    EXPECT_EQ(t[2].nameStart, -1);
    EXPECT_EQ(t[3].nameStart, static_cast<long>(text.find("WEB")));
    EXPECT_EQ(verse_display::richEditPosition(text, t[3].nameStart), t[3].nameStart - 3)
        << "three CR LF before it, one character each in the rich edit";

    text = verse_display::buildVerseText(t, 3, 2, t[3].verses[2], false);
    EXPECT_EQ(text, "WEB\r\nYou will keep\r\n\r\n");
    EXPECT_EQ(t[0].nameStart, -1) << "without the parallel view only the shown one has a place";
    EXPECT_EQ(verse_display::buildVerseText(t, 0, 5, kjv[1], false), "KJV\r\n\r\n\r\n")
        << "an index past the verses shows no text";
}

TEST(VerseDisplay, PositionsAndStatusTexts) {
    EXPECT_EQ(verse_display::richEditPosition("ab\r\ncd", 4), 3);
    EXPECT_EQ(verse_display::richEditPosition("ab\r\ncd", 3), 3) << "a CR LF not wholly before it";
    EXPECT_EQ(verse_display::richEditPosition("\r\n\r\n", 99), 97);
    EXPECT_EQ(verse_display::versePanelText(3, 12), "Verse 3 of 12");
    EXPECT_EQ(verse_display::versePanelText(-1, 0), "Verse-1 of 0");
    EXPECT_EQ(verse_display::sleepPanelText(15), "Sleep time: 15 min");
}

} // namespace
