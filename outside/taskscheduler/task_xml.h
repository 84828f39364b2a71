// task_xml.h
// What the wrapper reads of a task definition stored as the Task
// Scheduler keeps it (a task file, XML in UTF-16): its triggers and the
// time each starts. Portable, so that the reading is tested natively on
// any text, damaged ones included.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace taskscheduler::task_xml {

// The text of a task file's bytes: UTF-16 little- or big-endian (with or
// without its byte-order mark) or UTF-8. The elements read here hold
// ASCII only, so any other character comes out as '?'.
std::string fileText(std::string_view bytes);

struct StoredTrigger {
    std::string kind;          // the element's name: "CalendarTrigger", "TimeTrigger", ...
    std::string startBoundary; // its StartBoundary, trimmed; "" when it has none
};

// The triggers of the definition in document order (the children of the
// Triggers element of the root Task element). False, with out left as it
// was, when the text is no task definition: no single Task root, a name
// that is no element name, tags that do not nest, or an unclosed tag.
// Attributes are passed over unread.
bool readTriggers(std::string_view xml, std::vector<StoredTrigger>& out);

} // namespace taskscheduler::task_xml
