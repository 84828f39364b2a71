// text_fields.h
// Small text helpers shared by the scheduling and update code and the
// add-verses dialog. Portable: bytes in, bytes out.
#pragma once

#include <string>
#include <string_view>

namespace OrvaneAutoUpdateMod {

// The text after the last occurrence of delimiter (overlapping hits count,
// each search starting one character after the previous hit); the whole text
// when the delimiter does not occur or is empty.
std::string afterLast(std::string_view text, std::string_view delimiter);

// Field n (0-based) of text split at delimiter; "" for an empty text, an
// empty delimiter with n > 0, or a field past the end.
std::string getField(std::string_view text, long n, std::string_view delimiter);

} // namespace OrvaneAutoUpdateMod

namespace ToolTips {

// Field n (0-based) of a "/"-separated tooltip tag text; "" when the text has
// no "/", and the error text when the field runs past the last "/".
std::string getTipField(std::string_view text, long n);
inline constexpr const char* kTipFieldError = "An error occurred getting this tooltip message";

} // namespace ToolTips

namespace text_rules {

// True when any byte is outside the range the user files accept: below a
// blank or above "z". Stored files depend on this exact range.
bool hasControlCodes(std::string_view ansiText);

// One line of "error_log.txt": date TAB time TAB text CR LF.
std::string logLine(std::string_view date, std::string_view time, std::string_view text);

// ASCII lower case, as the settings comparisons use.
std::string lower(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace text_rules
