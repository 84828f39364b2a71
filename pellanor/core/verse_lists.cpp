// verse_lists.cpp
#include "verse_lists.h"

#include <algorithm>
#include <utility>

namespace verse_lists {

using verse_file::kCrLf;

void Lists::fill(int list, const VerseArray& verses) {
    Rows& rows = m_rows.at(static_cast<size_t>(list));
    for (size_t i = 1; i < verses.size(); ++i) {
        const VerseRecord& v = verses[i];
        if (list == kVerses)
            rows.push_back({v.book, v.chapter, v.verse, v.translation + ": " + v.text});
        else
            rows.push_back({v.book, v.chapter, v.text});
    }
}

Box Lists::add(int list, Row row) {
    m_rows.at(static_cast<size_t>(list)).push_back(std::move(row));
    return {list == kVerses ? "Verse Successfully Added" : "Inspirational Thought Successfully Added", "Success"};
}

bool Lists::update(int list, int row, Row cells) {
    Rows& rows = m_rows.at(static_cast<size_t>(list));
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) return false;
    rows[static_cast<size_t>(row)] = std::move(cells);
    return true;
}

std::optional<Box> Lists::remove(int list, const std::vector<int>& selected) {
    Rows& rows = m_rows.at(static_cast<size_t>(list));
    if (rows.empty()) return std::nullopt;
    std::vector<bool> gone(rows.size(), false);
    for (int r : selected)
        if (r >= 0 && static_cast<size_t>(r) < rows.size()) gone[static_cast<size_t>(r)] = true;
    size_t removed = 0;
    Rows kept;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (gone[r])
            ++removed;
        else
            kept.push_back(std::move(rows[r]));
    }
    rows = std::move(kept);
    if (removed > 0)
        return Box{std::to_string(removed) + " selected item(s) were successfully deleted.   ", "Items Were Deleted"};
    return Box{std::string("You need to select at least one item before pressing the delete button.   ") + kCrLf +
                   "In order to select items, you can simply click on a single item, CTRL-click to select "
                   "multiple items.   " +
                   kCrLf + "You can also drag the mouse over the left column to select multiple items.  ",
               "No Items Were Deleted"};
}

std::vector<size_t> Lists::headerClick(int list, int column,
                                       const std::function<int(const std::string&, const std::string&)>& compare) {
    verse_entry::ColumnSort& sort = m_sort.at(static_cast<size_t>(list));
    sort.click(column);
    Rows& rows = m_rows.at(static_cast<size_t>(list));
    const size_t key = static_cast<size_t>(column - 1);
    if (column < 1 || key >= (list == kVerses ? 4u : 3u)) return {};
    const std::vector<size_t> order = verse_entry::sortOrder(rows, key, sort.descending, compare);
    Rows sorted;
    for (size_t r : order) sorted.push_back(rows[r]);
    rows = std::move(sorted);
    return order;
}

std::vector<UserFile> Lists::files(const std::string& folder) const {
    std::vector<UserFile> out;
    for (int list : {kVerses, kThoughts}) {
        std::string content = verse_entry::fileContent(list == kVerses, rows(list));
        const bool remove = content.empty();
        out.push_back({folder + kFileNames[static_cast<size_t>(list)], std::move(content), remove});
    }
    return out;
}

bool save(const Lists& lists, const std::string& folder, FileWriter& writer, std::string& problem) {
    return writer.replace(lists.files(folder), problem);
}

std::string saveFailedText(const std::string& problem) {
    return std::string("Your verses and thoughts could not be saved.   ") + kCrLf + kCrLf + problem + "   " + kCrLf +
           kCrLf +
           "Your changes are still here.  Please correct this and press OK again, or press Cancel to leave "
           "without saving them.   ";
}

} // namespace verse_lists
