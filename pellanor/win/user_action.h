// user_action.h
// The one road of a user action. Every event handler of the program runs
// its body through userAction (or guarded, where its caller goes on by
// the outcome): the first handler of an action clears the
// message-shown flag (so the action may show one box), a failure is caught
// there, the pointer is put back and "An error occurred in function
// <routine>" is reported under the handler's caption. A handler called from
// inside another action (one handler running another's body, a routine of
// the display called by a menu) joins the running action and clears
// nothing: one box per user action. A modal form's loop and a timer's tick
// start actions of their own (ActionLevel).
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "outcome.h"

namespace dataManipulation {

// One user action for as long as it lives. The outermost one clears the
// message-shown flag.
class UserAction {
public:
    UserAction();
    ~UserAction();
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;

    // The user has answered this action's box: what follows the answer may
    // show a box of its own.
    static void userAnswered();
};

// A new level of user actions for as long as it lives: the user's actions
// inside a modal form each stand alone, as does a timer's tick that comes
// while another action waits in a message loop (a box, a menu). When it
// ends, the action it interrupted goes on as it was.
class ActionLevel {
public:
    ActionLevel();
    ~ActionLevel();
    ActionLevel(const ActionLevel&) = delete;
    ActionLevel& operator=(const ActionLevel&) = delete;

private:
    int m_depth;
    bool m_shown;
};

// While the program closes or the session ends, nothing may wait on a box:
// for as long as one of these lives, every message is logged only, in
// whatever action or level runs inside.
class BoxesHeld {
public:
    BoxesHeld();
    ~BoxesHeld();
    BoxesHeld(const BoxesHeld&) = delete;
    BoxesHeld& operator=(const BoxesHeld&) = delete;

    // True while a box may not be shown.
    static bool holding();
};

// "An error occurred in function <routine>".
std::string failureText(std::string_view routine);

// The one report of a failed routine: its failureText through showMessage
// (a box once per user action, every report logged). Never throws, as it
// runs where a handler has already caught a failure. Always Failed, so a
// routine may end with it.
Outcome reportFailure(HWND owner, std::string_view routine, const char* caption, UINT flags);

// The road's work: runs body as (or inside) a user action; when it throws,
// the pointer goes back to what it was, onFailure (if any) runs and, unless
// routine is empty, the failure of routine is reported. Failed when the
// body threw or said it failed.
Outcome runUserAction(HWND owner, std::string_view routine, const char* caption, UINT flags,
                      const std::function<Outcome()>& body, const std::function<void()>& onFailure);

// A step that failed, having said so, ends the body: the road reports the
// routine it ran in.
struct StepFailed : std::runtime_error {
    StepFailed() : std::runtime_error("step failed") {}
};
inline void throwOnFailure(Outcome o) {
    if (failed(o)) throw StepFailed();
}

// A body gives nothing (void) or its own Outcome.
template <class Body>
std::function<Outcome()> outcomeBody(Body& body) {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>)
        return [&body] {
            body();
            return Outcome::Ok;
        };
    else
        return [&body] { return body(); };
}

// An event handler: its failure is reported here, so nothing is left for
// its caller.
template <class Body>
void userAction(HWND owner, std::string_view routine, const char* caption, UINT flags, Body&& body,
                const std::function<void()>& onFailure = {}) {
    (void)runUserAction(owner, routine, caption, flags, outcomeBody(body), onFailure);
}

// The same for a routine whose callers go on by its outcome.
template <class Body>
Outcome guarded(HWND owner, std::string_view routine, const char* caption, UINT flags, Body&& body,
                const std::function<void()>& onFailure = {}) {
    return runUserAction(owner, routine, caption, flags, outcomeBody(body), onFailure);
}

// A handler whose failure road speaks for itself (the start-up check takes
// over, the window closes): the same action, without the report.
template <class Body>
Outcome silentAction(Body&& body, const std::function<void()>& onFailure) {
    return runUserAction(nullptr, {}, nullptr, 0, outcomeBody(body), onFailure);
}

// A message's handler dispatch (a command, a menu item): each message is
// a user action, and what a handler naming no routine of its own lets
// escape is logged under where. Returns what dispatch answered (true when
// nothing answered because it failed).
bool handledAction(std::string_view where, const std::function<bool()>& dispatch);

// A routine whose caller reports: Failed when body threw or said so, with
// no report and no action of its own.
Outcome attempt(const std::function<Outcome()>& body);

// Runs a best-effort step (a cursor, a repaint, a text put back) whose
// failure leaves nothing wrong for the user to act on; it is skipped
// without a box.
void quietly(const std::function<void()>& step);

// A window procedure's last resort: what escaped a message (where names
// it) is logged, without a box. Never throws.
void logCaught(std::string_view where) noexcept;

} // namespace dataManipulation
