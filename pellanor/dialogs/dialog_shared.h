// dialog_shared.h
// What the program's dialogs share: the lines of the plain-text files
// beside the program, the addresses the dialogs link to, and the modal
// showing under which a dialog's user actions each stand alone.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "common/ui/Dialog.h"
#include "common/ui/Window.h"
#include "pellanor/win/Module1.h"
#include "user_action.h"

namespace dialog_shared {

inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kMakerWebAddress = "https://pellanor.example/";
inline constexpr const char* kSupportMailAddress = "support@pellanor.example";

// The lines of the file at path (text_files::splitLines); false (and no
// lines) when it cannot be read.
bool readLines(const std::string& path, std::vector<std::string>& lines);

// A dialog's command: each is a user action of its own; what a handler
// lets escape is logged under where. Returns what dispatch answered (true
// when it failed, so that nothing else runs the command).
bool command(std::string_view where, const std::function<bool()>& dispatch);

// A row's code that every notification of its control matches.
inline constexpr int kAnyCode = -1;

// One row of a dialog's command table: the control, the notification that
// runs the handler, and the handler.
struct Command {
    int id;
    int code;
    std::function<void()> handler;
};

// What becomes of a notification the control's row does not run on: Taken
// (nothing runs), or Passed on to ui::Dialog like a control without a row.
enum class OtherCodes { Taken, Passed };

// The dialogs' base: OnCommand hands its table to runCommands.
class CommandDialog : public ui::Dialog {
protected:
    // One WM_COMMAND as a user action of its own, logged under where: the
    // first row for id runs its handler when code is the row's; an id without
    // a row goes to ui::Dialog (OK and Cancel), inside the same action.
    bool runCommands(std::string_view where, int id, int code, HWND control,
                     std::initializer_list<Command> table, OtherCodes others = OtherCodes::Taken);
};

// Shows a Form modally over owner (ui::showModalForm): the user's actions
// in it each stand alone, and the action that opened it goes on as it was
// once it is gone.
template <class Form, class... Args>
INT_PTR showModal(HWND owner, Args&&... args) {
    action_rule::ActionRule::Level modal(gActionRule);
    return ui::showModalForm<Form>(owner, std::forward<Args>(args)...);
}

} // namespace dialog_shared
