// schedule_rules.h
// Times of day for the program's own scheduler, the poll's test of
// whether the scheduled time has just passed, and what the scheduling
// dialog lists and names. Portable.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace schedule_rules {

inline constexpr long kSecondsPerDay = 24L * 60 * 60;

// Parses a stored time of day: "8:00:00 AM", "8:05 PM", "20:00:00", "20:00"
// (blanks around allowed, AM/PM in any case). Seconds since midnight, or -1
// when the text is not a time of day.
long parseTimeOfDay(std::string_view text);

// The poll wakes the program when the time of day now lies more than 0 and
// at most a quarter of a minute after the scheduled time. The difference is
// taken modulo a day, so a time just before midnight is not missed by a poll
// just after it.
bool scheduleDue(long nowSeconds, long scheduledSeconds);

// A time typed into a time box: its text upper-cased (as the box then
// shows it) and, when it is accepted, its seconds since midnight; when it
// is refused, the message and its caption. A time must read as a time of
// day and name AM or PM.
struct TypedTime {
    std::string text;
    long seconds = -1;
    const char* refusal = nullptr;
    const char* caption = nullptr;
};
TypedTime checkTypedTime(std::string_view typed);

// The 48 half-hour times the time boxes list, "4:00 AM" to "3:30 AM".
std::array<std::string, 48> timeList();

// The task name for an account: the part after its last "\", "_Pellanor".
std::string taskNameFor(std::string_view userName);

} // namespace schedule_rules
