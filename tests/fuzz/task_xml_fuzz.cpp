// task_xml_fuzz.cpp
// libFuzzer target: any bytes as a stored task file. The text comes out as
// ASCII; a definition that reads gives triggers whose names and start
// texts hold no markup, reading it again gives the same, and it does not
// read once cut short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "task_xml.h"

using namespace taskscheduler::task_xml;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text = fileText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) std::abort();
    std::vector<StoredTrigger> triggers, again;
    if (!readTriggers(text, triggers)) return 0;
    for (const StoredTrigger& t : triggers)
        if (t.kind.empty() || t.kind.find_first_of("<>/ ") != std::string::npos ||
            t.startBoundary.find_first_of("<") != std::string::npos)
            std::abort();
    if (!readTriggers(text, again) || again.size() != triggers.size()) std::abort();
    // Cut short before its last '>' (the root's end, or that of what follows
    // it), a definition that read is refused: no part of a task file passes.
    if (readTriggers(std::string_view(text).substr(0, text.rfind('>')), again)) std::abort();
    return 0;
}
