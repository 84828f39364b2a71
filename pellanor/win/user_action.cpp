// user_action.cpp
#include "user_action.h"

#include "pellanor/win/Module1.h"
#include "dataManipulation.h"

namespace dataManipulation {

namespace {

// How many user actions run inside one another on this (the only UI)
// thread, counted from the innermost modal loop.
int gActionDepth = 0;

// How many BoxesHeld are alive.
int gBoxesHeld = 0;

// The one place the message-shown flag is cleared.
void clearMessageShown() { gErrorShown = false; }

} // namespace

UserAction::UserAction() {
    if (gActionDepth == 0) clearMessageShown();
    ++gActionDepth;
}

UserAction::~UserAction() { --gActionDepth; }

void UserAction::userAnswered() { clearMessageShown(); }

ActionLevel::ActionLevel() : m_depth(gActionDepth), m_shown(gErrorShown) { gActionDepth = 0; }

ActionLevel::~ActionLevel() {
    gActionDepth = m_depth;
    gErrorShown = m_shown;
}

BoxesHeld::BoxesHeld() { ++gBoxesHeld; }

BoxesHeld::~BoxesHeld() { --gBoxesHeld; }

bool BoxesHeld::holding() { return gBoxesHeld > 0; }

std::string failureText(std::string_view routine) {
    return "An error occurred in function " + std::string(routine);
}

Outcome reportFailure(HWND owner, std::string_view routine, const char* caption, UINT flags) {
    try {
        showMessage(owner, failureText(routine), caption, flags);
    } catch (...) {
        // Out of memory while reporting: there is no better place to say so,
        // and the caller is already on its failure path.
    }
    return Outcome::Failed;
}

Outcome runUserAction(HWND owner, std::string_view routine, const char* caption, UINT flags,
                      const std::function<Outcome()>& body, const std::function<void()>& onFailure) {
    UserAction action;
    const HCURSOR pointer = GetCursor();
    try {
        return body();
    } catch (...) {
        // Reported below, once the handler has put things back.
    }
    quietly([&] {
        if (pointer) SetCursor(pointer);
        if (onFailure) onFailure();
    });
    if (routine.empty()) return Outcome::Failed;
    return reportFailure(owner, routine, caption, flags);
}

bool handledAction(std::string_view where, const std::function<bool()>& dispatch) {
    bool handled = true;
    (void)runUserAction(nullptr, {}, nullptr, 0, [&] {
        handled = dispatch();
        return Outcome::Ok;
    }, [&] { logCaught(where); });
    return handled;
}

Outcome attempt(const std::function<Outcome()>& body) {
    try {
        return body();
    } catch (...) {
        return Outcome::Failed;
    }
}

void quietly(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        // The step's own contract: nothing the user could act on.
    }
}

void logCaught(std::string_view where) noexcept {
    try {
        (void)logMessage(failureText(where));
    } catch (...) {
        // Nothing is left to tell it to.
    }
}

} // namespace dataManipulation
