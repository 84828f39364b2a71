// text_files.h
// The plain-text files beside the program that dialogs show: their lines,
// the copyright notices as the notices box shows them, and which tip a
// draw picks. Portable: bytes in, bytes out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text_files {

// The lines of a text file's content: CR LF, a lone CR and a lone LF each
// end a line; a line end at the very end makes no further (empty) line.
std::vector<std::string> splitLines(std::string_view content);

// The notices box's text: every line without the blanks around it, each
// ended by CR LF.
std::string noticesText(const std::vector<std::string>& lines);

// The tip (1-based) a draw r in [0, 1) picks among count tips: every tip
// can be picked and none past the last, whatever r's rounding; 1 when
// there are none.
long pickTip(double r, size_t count);

} // namespace text_files
