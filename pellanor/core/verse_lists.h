// verse_lists.h
// The add-verses dialog's two lists as data: the verse list and the thought
// list, filled from the user files, added to, updated, deleted from and
// sorted, and written back whole at OK through a small writer the Windows
// layer implements. The dialog shows these rows; what is stored and what
// the user is told is decided here.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "verse_entry.h"
#include "verse_file.h"
#include "verse_types.h"

namespace verse_lists {

using verse_entry::Row;
using verse_entry::Rows;

// The lists by index: verses, then thoughts.
inline constexpr int kVerses = 0;
inline constexpr int kThoughts = 1;

// A message box the dialog shows with the information icon.
struct Box {
    std::string text;
    std::string caption;
};

// One user file of a save: its full path and whole new content, or
// remove to delete it (an empty list).
struct UserFile {
    std::string path;
    std::string content;
    bool remove = false;
};

// Writes a set of user files all or none.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // False, with problem in the user's words, when the set could not be
    // written; then every file is as it was.
    virtual bool replace(const std::vector<UserFile>& files, std::string& problem) = 0;
};

class Lists {
public:
    const Rows& rows(int list) const { return m_rows.at(static_cast<size_t>(list)); }

    // Fills a list from a user file as the reader returned it (element 0
    // unused): a verse's fourth cell is its translation, ": " and its text.
    void fill(int list, const VerseArray& verses);

    // Adds a row at the end; the box that says so.
    Box add(int list, Row row);
    // Overwrites a row; false when there is no such row.
    bool update(int list, int row, Row cells);

    // Deletes the selected rows (indexes into the list) and says how many
    // went, or that none was selected; says nothing on an empty list.
    std::optional<Box> remove(int list, const std::vector<int>& selected);

    // A click on a list's column header (1-based): the same column again
    // turns the order round, another sorts ascending by it, rows of equal
    // text keep their order. Answers the old index of each row, in the new
    // order (empty when the column is not the list's, and nothing moves).
    std::vector<size_t> headerClick(int list, int column,
                                    const std::function<int(const std::string&, const std::string&)>& compare);

    // What OK writes into folder (ending in "\"): both files whole, in list
    // order; an empty list removes its file.
    std::vector<UserFile> files(const std::string& folder) const;

private:
    std::array<Rows, 2> m_rows;
    std::array<verse_entry::ColumnSort, 2> m_sort{};
};

// The user file of each list, under the user folder.
inline constexpr std::array<const char*, 2> kFileNames = {verse_file::kYourVersesFile, verse_file::kYourThoughtsFile};

// Writes both lists through writer; false with problem when it could not.
bool save(const Lists& lists, const std::string& folder, FileWriter& writer, std::string& problem);

// What the user is told when OK could not save: the dialog stays open
// with the lists.
std::string saveFailedText(const std::string& problem);
inline constexpr const char* kSaveFailedCaption = "Error Adding a Verse";

} // namespace verse_lists
