// res_strings_test.cpp
// The string loader over the control's own table (embedded in this test
// program as in the control) and a few test entries, and the delimited
// text list.
#include "res_strings.h"

#include <gtest/gtest.h>

#include "resource.h"

using orvane36::LoadResString;
using orvane36::LoadResStringW;
using orvane36::TextList;

namespace {
constexpr UINT kSplitEntry = 9000;
constexpr UINT kEmptyEntry = 9001;
constexpr UINT kAccentedEntry = 9003;
constexpr UINT kLongEntry = 9004;
constexpr UINT kMissingEntry = 9999;
} // namespace

TEST(LoadResString, TheControlsTexts) {
    EXPECT_EQ(LoadResString(IDS_LIBRARY_NAME), "Orvane36");
    EXPECT_EQ(LoadResString(IDS_ABOUT_NOTICE), ".");
    EXPECT_EQ(LoadResString(IDS_PATHFILTER_DISPLAY), "Click here to select Path Filter --->");
    EXPECT_EQ(LoadResString(601), "Invalid operating during file verification or scan.");
    EXPECT_EQ(LoadResString(IDS_FILE_VERSION), "FileVersion");
}

TEST(LoadResString, MissingOrEmptyEntriesLoadAsNone) {
    EXPECT_EQ(LoadResString(kMissingEntry), std::nullopt);
    EXPECT_EQ(LoadResString(kEmptyEntry), std::nullopt) << "an empty entry is none, not an empty text";
    EXPECT_EQ(LoadResStringW(kEmptyEntry), std::nullopt);
    EXPECT_EQ(LoadResString(380), std::nullopt) << "errors without a text have no entry";
}

TEST(LoadResString, SplitModeTurnsTildesIntoNuls) {
    EXPECT_EQ(LoadResString(kSplitEntry), "first~second~third");
    EXPECT_EQ(LoadResString(kSplitEntry, orvane36::kResStringSplit), std::string("first\0second\0third", 18));
}

TEST(LoadResString, LongEntriesAreCutToTheBuffer) {
    const auto text = LoadResString(kLongEntry);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, std::string(511, 'x'));
}

TEST(LoadResString, WideFormConvertsFromTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the tests pin LC_ALL=C.UTF-8, which gives code page 1252";
    EXPECT_EQ(LoadResString(kAccentedEntry), "caf\xE9 cr\xE8me");
    EXPECT_EQ(LoadResStringW(kAccentedEntry), L"caf\u00E9 cr\u00E8me");
    EXPECT_EQ(LoadResStringW(600), L"Error reading stored file data.");
    EXPECT_EQ(LoadResStringW(kMissingEntry), std::nullopt);
}

TEST(TextList, AppendCountAndItems) {
    TextList list(';');
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.item(0), std::nullopt);
    EXPECT_FALSE(list.buffer());

    list.append("0 - None");
    list.append(std::nullopt);   // nothing appended
    list.append("1 - On Load");
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.item(0), "0 - None");
    EXPECT_EQ(list.item(1), "1 - On Load");
    EXPECT_EQ(list.item(2), std::nullopt);
    EXPECT_EQ(list.buffer(), std::string("0 - None;1 - On Load;\0", 22));
}

TEST(TextList, NulDelimiterEndsInTwoNuls) {
    TextList list('\0');
    list.append("a");
    list.append("");
    list.append("bc");
    EXPECT_EQ(list.buffer(), std::string("a\0\0bc\0\0", 7));
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.item(1), "");
    EXPECT_EQ(list.item(2), "bc");
    list.clear();
    EXPECT_EQ(list.count(), 0u);
}
