// options_rules_test.cpp
// The options dialog's number fields: which texts are numbers, and what
// each wrong entry is replaced by; what OK copies into the settings.
#include "options_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

using namespace options_rules;

TEST(OptionsNumbers, OnlyThePlainDecimalFormOfAWholeNumberPasses) {
    long v = 0;
    for (auto [text, value] : std::vector<std::pair<const char*, long>>{
             {"0", 0}, {"7", 7}, {"240", 240}, {"999", 999}, {"-5", -5}, {"99999999999999999999", LONG_MAX},
             {"-99999999999999999999", LONG_MIN}})
    {
        EXPECT_TRUE(isPlainWholeNumber(text, v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    for (const char* text : {"", "-", "015", "00", "-0", "+5", "1.5", " 15", "15 ", "1e3", "abc", "1 5", "--1"})
        EXPECT_FALSE(isPlainWholeNumber(text, v)) << "'" << text << "'";
}

// The sleep time with 30 minutes set: what each entry becomes.
TEST(OptionsNumbers, SnoozeEntriesAreAcceptedClampedOrRefused) {
    struct Case {
        const char* entry;
        const char* after;
        bool replaced;
        bool message;
    };
    const Case cases[] = {
        {"999", "999", false, false}, {"240", "240", false, false}, {"1", "1", false, false},
        {"1000", "240", true, false}, {"241", "240", true, false},  {"99999999999", "240", true, false},
        {"0", "1", true, false},      {"-5", "1", true, false},     {"015", "30", true, true},
        {"1.5", "30", true, true},    {" 15", "30", true, true},    {"15 ", "30", true, true},
        {"", "30", true, true},       {"+5", "30", true, true},     {"ten", "30", true, true},
    };
    for (const Case& c : cases) {
        const Entry e = sleepEntry(c.entry, 30);
        EXPECT_EQ(e.replaced, c.replaced) << c.entry;
        EXPECT_EQ(e.text, c.after) << c.entry;
        EXPECT_EQ(e.notNumeric, c.message) << c.entry;
    }
}

// The repeat counts with 3 and 2 set.
TEST(OptionsNumbers, RepeatCountsHaveTheirOwnLimits) {
    struct Case {
        size_t field;
        const char* entry;
        const char* after;
        bool replaced;
    };
    const long current[] = {3, 2};
    const Case cases[] = {
        {1, "7", "5", true}, {0, "7", "7", false}, {0, "11", "10", true}, {1, "0", "1", true},
        {1, "5", "5", false}, {0, "10", "10", false},
    };
    for (const Case& c : cases) {
        const Entry e = repeatEntry(c.field, c.entry, current[c.field]);
        EXPECT_EQ(e.replaced, c.replaced) << c.field << ": " << c.entry;
        EXPECT_EQ(e.text, c.after) << c.field << ": " << c.entry;
        EXPECT_FALSE(e.notNumeric) << c.field << ": " << c.entry;
    }
    const Entry empty = repeatEntry(1, "", current[1]);
    EXPECT_TRUE(empty.replaced);
    EXPECT_TRUE(empty.notNumeric) << "the user is told";
    EXPECT_EQ(empty.text, "2") << "the current setting comes back";
}

// The size list: each list index stands for its size (choosing index i
// sets 8 + 2i), and a stored size the list does not offer selects nothing.
TEST(OptionsNumbers, TheSizeListOffersFourSizes) {
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(kFontSizes[static_cast<size_t>(index)], 8 + 2 * index);
        EXPECT_EQ(fontSizeIndex(8 + 2 * index), index);
    }
    EXPECT_EQ(fontSizeText(8), " 8");
    EXPECT_EQ(fontSizeText(14), " 14");
    EXPECT_EQ(fontSizeIndex(11), -1);
    EXPECT_EQ(fontSizeIndex(16), -1);
}

// OK's copy of the dialog into the settings, from the settings the
// dialog opened with: sleep 30, repeats 3 and 2, visual and desktop alerts
// on, size 10, the second translation.
class OptionsOk : public ::testing::Test {
protected:
    Settings settings{30, {3, 2}, 10, 1, {true, false, true}};
    Fields opened() const { return Fields{"30", {"3", "2"}, 1, 1, {true, false, true}}; }
};

TEST_F(OptionsOk, CopiesEveryValue) {
    Fields f{"999", {"7", "4"}, 3, 0, {false, true, false}};
    EXPECT_TRUE(applyOk(f, settings)) << "a listed size: its reference box shows";
    EXPECT_EQ(settings.snoozeTime, 999);
    EXPECT_EQ(settings.repeatCount[0], 7);
    EXPECT_EQ(settings.repeatCount[1], 4);
    EXPECT_FALSE(settings.alerts[0]);
    EXPECT_TRUE(settings.alerts[1]);
    EXPECT_FALSE(settings.alerts[2]);
    EXPECT_EQ(settings.verseFontSize, 14);
    EXPECT_EQ(settings.chosenTranslation, 0);
}

TEST_F(OptionsOk, AnUnlistedStoredSizeIsKeptWithTheRest) {
    settings.verseFontSize = 11;
    Fields f = opened();
    f.sizeIndex = -1; // the list offers no 11
    EXPECT_FALSE(applyOk(f, settings)) << "no reference box";
    EXPECT_EQ(settings.verseFontSize, 11);
    EXPECT_EQ(settings.snoozeTime, 30);
    EXPECT_TRUE(settings.alerts[0]);
    EXPECT_TRUE(settings.alerts[2]);

    // A field that holds no number leaves its setting.
    f.snooze = "";
    f.repeat[1] = "two";
    applyOk(f, settings);
    EXPECT_EQ(settings.snoozeTime, 30);
    EXPECT_EQ(settings.repeatCount[1], 2);
}
