// verse_entry.h
// The rules of the add-verses dialog that do not need a window: the book
// list, the entry rules an Add or Update runs, the chapter test, the two
// user-file line forms, the split of a verse row's fourth column, the lists'
// sort, clipboard pasting into a field, and the name a rejected user file is
// set aside under. Bytes in, bytes out (ANSI text).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace verse_entry {

// The 66 books in canonical order, as the book list shows them after
// "Select a Book".
extern const std::array<const char*, 66> kBooks;

// The instructions shown at the top of the dialog, lines joined by CR LF.
std::string instructionsText();

// The chapter field passes only as the plain decimal form of a whole
// number in the 32-bit range: the number read from the start of the text
// (blanks skipped, reading stops where a number cannot go on) rounded to a
// whole number must format back to the very text. "12", "-3" and "0" pass;
// "012", " 12", "12 ", "12.0", "-0", "+5" and "twelve" do not. A number
// beyond the 32-bit range is OutOfRange (the dialog's error path).
enum class Chapter { Passes, NotNumeric, OutOfRange };
Chapter checkChapter(std::string_view text);

// One line of "Your Verses.txt": book TAB chapter TAB verse TAB
// translationAndText CR LF, where the fourth field is the translation, ": "
// and the verse text.
std::string verseLine(std::string_view book, std::string_view chapter, std::string_view verse,
                      std::string_view translationAndText);
// One line of "Your Inspirational Thoughts.txt": author TAB date TAB TAB
// thought CR LF (the third field is always empty).
std::string thoughtLine(std::string_view author, std::string_view date, std::string_view thought);

// A list row: its text, then its sub-items.
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// The whole content of a user file from its list's rows, in list order:
// verse lines for the verse list, thought lines for the other.
std::string fileContent(bool verses, const Rows& rows);

// A verse as the fields hold it, untrimmed: the book list's text and the
// five verse fields (0 the book box of an earlier layout, then chapter,
// verse, translation and text).
struct VerseEntry {
    std::string book;
    std::array<std::string, 5> fields;
};
// A thought as the fields hold it: author, date or page, thought.
struct ThoughtEntry {
    std::array<std::string, 3> fields;
};

// The fields' default texts, which an entry must not keep: for a verse the
// book list's first item, then the chapter, verse, translation and text
// fields'; for a thought its three fields'.
std::array<std::string, 5> verseDefaults();
std::array<std::string, 3> thoughtDefaults();

// The entry last added or updated, as the duplicate rule compares it: for a
// verse book, chapter, verse and text (not the translation); for a thought
// its three fields; the rest empty.
using Key = std::array<std::string, 5>;
Key keyOf(const VerseEntry& entry);
Key keyOf(const ThoughtEntry& entry);

// The list row an entry makes; a verse's fourth cell is its translation,
// ": " and its text, the fourth field of its file line.
Row rowOf(const VerseEntry& entry);
Row rowOf(const ThoughtEntry& entry);

// The field a refusal names when it is the book list, not a text field.
inline constexpr int kBookList = -1;

// What the rules make of an entry. A refusal names the field that gets the
// focus (an index into the entry's fields, or kBookList), the message and
// its caption, and what the dialog does besides: put the field's default
// text back, or open the book list. Failed is the rules' unexpected error
// (a chapter beyond the 32-bit range), reported as the routine's failure.
struct Verdict {
    enum class Ruling { Passes, Refused, Failed } ruling = Ruling::Passes;
    int field = 0;
    std::string text;
    const char* caption = "";
    bool restoreDefault = false;
    bool openBookList = false;
};

// The rules of an Add, in their order, the first that fails deciding;
// defaults are the fields' default texts (a verse's member 0 is the book
// list's "Select a Book"). An update leaves out the duplicate rule.
Verdict checkVerse(const VerseEntry& entry, const std::array<std::string, 5>& defaults,
                   const Key& lastAdded, bool update);
Verdict checkThought(const ThoughtEntry& entry, const std::array<std::string, 3>& defaults,
                     const Key& lastAdded, bool update);

// How a list is sorted after header clicks: the column clicked again turns
// the order round; another column sorts ascending by it.
struct ColumnSort {
    long column = 0; // 1-based; 0 before the first click
    bool descending = false;
    void click(long clicked);
};

// The order (indexes into rows) that sorts rows by the text of cell key,
// stably, under compare (negative, zero or positive, as strcmp).
std::vector<size_t> sortOrder(const Rows& rows, size_t key, bool descending,
                              const std::function<int(const std::string&, const std::string&)>& compare);

// Splits a verse row's fourth column at its first ":": the translation
// before it, the text after it without the one blank the dialog writes
// there (any other character after the colon belongs to the text). False
// when there is no colon.
bool splitTranslation(std::string_view column, std::string& translation, std::string& text);

// The field text after pasting clip: the whole text replaced when it was
// all selected (or empty), otherwise the selection replaced, or clip
// inserted at the caret when nothing is selected.
std::string pasteInto(std::string_view text, std::string_view clip, long selStart, long selLength);

// The name a rejected user file is set aside under: its path, then
// ".rejected-YYYYMMDD-HHMMSS", then "-n" from the second try on. Neither
// the long name nor the short (8.3) name ends in ".txt", so it is never
// read as a topic.
std::string setAsideName(std::string_view path, int year, int month, int day, int hour,
                         int minute, int second, int attempt);

} // namespace verse_entry
