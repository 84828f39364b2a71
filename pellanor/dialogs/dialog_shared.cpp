// dialog_shared.cpp
#include "dialog_shared.h"

#include "pellanor/win/Module1.h"
#include "common/win32/files.h"
#include "dataManipulation.h"

namespace dialog_shared {

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.emplace_back(content.substr(start));
    return lines;
}

bool command(std::string_view where, const std::function<bool()>& dispatch) {
    bool handled = true;
    (void)userAction::run({nullptr, where}, [&] { handled = dispatch(); });
    return handled;
}

bool CommandDialog::runCommands(std::string_view where, int id, int code, HWND control,
                                std::initializer_list<Command> table, OtherCodes others) {
    return command(where, [&]() -> bool {
        for (const Command& row : table) {
            if (row.id != id) continue;
            if (row.code == kAnyCode || row.code == code) {
                row.handler();
                return true;
            }
            if (others == OtherCodes::Taken) return true;
            break;
        }
        return ui::Dialog::OnCommand(id, code, control);
    });
}

bool readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    if (path.empty() || !win32::readWholeFile(path, content)) return false;
    lines = splitLines(content);
    return true;
}

} // namespace dialog_shared
