// verse_entry.h
// The rules of the add-verses dialog that do not need a window: the book
// list, the chapter test, the two user-file line forms, the split of a
// verse row's fourth column, clipboard pasting into a field, and the name a
// rejected user file is set aside under. Bytes in, bytes out (ANSI text).
#pragma once

#include <array>
#include <string>
#include <string_view>

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
