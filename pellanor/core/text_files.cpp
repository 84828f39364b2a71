// text_files.cpp
#include "text_files.h"

#include <cmath>

#include "verse_file.h"

namespace text_files {

std::vector<std::string> splitLines(std::string_view content) {
    // The topic files' line rule, as owned strings.
    std::vector<std::string> lines;
    for (std::string_view line : verse_file::splitLines(content)) lines.emplace_back(line);
    return lines;
}

std::string noticesText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(verse_file::trimBlanks(line)).append("\r\n");
    return text;
}

long pickTip(double r, size_t count) {
    long pick = static_cast<long>(std::floor(r * static_cast<double>(count) + 1));
    // Rounding must never pick past the last tip.
    if (pick > static_cast<long>(count)) pick = static_cast<long>(count);
    return pick < 1 ? 1 : pick;
}

} // namespace text_files
