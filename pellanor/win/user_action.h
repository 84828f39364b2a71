// user_action.h
// The road of a user action: how a handler runs its body under the rule of
// one box per action (action_rule.h, kept in gActionRule). A handler
// chooses one of these:
//   run      a user action (or a routine run as one) that reports its own
//            failure; its outcome is there for callers that go on by it;
//   attempt  a step whose caller decides what a failure means;
//   logged   a step whose failure is only logged;
//   ownBox   a dialog's own message, shown as the action's one box.
// A modal form's loop and a timer's tick begin a level of their own, and
// the main window's close holds all boxes: those are the rule's scopes
// (ActionRule::Level, ActionRule::BoxesHeld).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "outcome.h"

namespace userAction {

// How a failed action is reported: "An error occurred in function
// <routine>" under caption, with flags, through the message routine (a box
// once per action, always logged). With no caption the failure is logged
// only; with no routine the action's own failure road (onFailure) speaks
// for it.
struct Report {
    HWND owner = nullptr;
    std::string_view routine;
    const char* caption = nullptr;
    UINT flags = 0;
};

namespace detail {
Outcome run(const Report& report, const std::function<Outcome()>& body, const std::function<void()>& onFailure);
} // namespace detail

// Runs body as a user action, or inside the action that runs: the first
// action of a level clears the message-shown flag. When body throws (a
// step that failed having said so throws StepFailed), the pointer goes
// back to what it was, onFailure (if any) runs and the failure is reported.
// Failed when body threw or said it failed; a body that gives Failed
// itself is not reported.
template <class Body>
Outcome run(const Report& report, Body&& body, const std::function<void()>& onFailure = {}) {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>)
        return detail::run(report, [&body] {
            body();
            return Outcome::Ok;
        }, onFailure);
    else
        return detail::run(report, [&body] { return body(); }, onFailure);
}

// Failed when body threw or said so, with no report and no action of its
// own.
Outcome attempt(const std::function<Outcome()>& body);

// Runs a step whose failure leaves nothing for the user to act on (a
// cursor, a repaint, a text put back, what a window procedure let escape):
// a failure is logged under where, without a box. Never throws.
void logged(std::string_view where, const std::function<void()>& step) noexcept;

// Shows a dialog's own message (a refusal, a result) directly, outside the
// message routine and its log, as this action's one box: a failure later
// in the action is logged only. Returns the box's answer.
int ownBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

} // namespace userAction
