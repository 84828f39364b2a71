// user_action.cpp
#include "user_action.h"

#include "pellanor/win/Module1.h"
#include "action_rule.h"
#include "dataManipulation.h"
#include "seams.h"

namespace userAction {

Outcome detail::run(const Report& report, const std::function<Outcome()>& body,
                    const std::function<void()>& onFailure) {
    action_rule::ActionRule::Action action(gActionRule);
    const HCURSOR pointer = GetCursor();
    try {
        return body();
    } catch (...) {
        // Reported below, once the handler has put things back.
    }
    try {
        if (pointer) SetCursor(pointer);
        if (onFailure) onFailure();
    } catch (...) {
        // What could not be put back does not hide the report.
    }
    if (report.routine.empty()) return Outcome::Failed;
    try {
        const std::string text = action_rule::failureText(report.routine);
        if (report.caption) dataManipulation::showMessage(report.owner, text, report.caption, report.flags);
        else (void)dataManipulation::logMessage(text);
    } catch (...) {
        // Out of memory while reporting: there is no better place to say so.
    }
    return Outcome::Failed;
}

Outcome attempt(const std::function<Outcome()>& body) {
    try {
        return body();
    } catch (...) {
        return Outcome::Failed;
    }
}

void logged(std::string_view where, const std::function<void()>& step) noexcept {
    try {
        step();
    } catch (...) {
        try {
            (void)dataManipulation::logMessage(action_rule::failureText(where));
        } catch (...) {
            // Nothing is left to tell it to.
        }
    }
}

int ownBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    const int answer = seams::messageBox(owner, text, caption, flags);
    gActionRule.boxShown();
    return answer;
}

} // namespace userAction
