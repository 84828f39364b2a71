// dialog_shared.cpp
#include "dialog_shared.h"

#include "pellanor/win/Module1.h"
#include "common/win32/files.h"
#include "dataManipulation.h"
#include "text_files.h"

namespace dialog_shared {

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
    lines = text_files::splitLines(content);
    return true;
}

} // namespace dialog_shared
