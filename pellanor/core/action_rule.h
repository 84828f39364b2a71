// action_rule.h
// The rule every user action of the program follows: at most one message
// box per action. The first action of a level clears the message-shown
// flag; an action run inside another (a handler running another's body, a
// routine of the display called by a menu) joins it and clears nothing. A
// modal form's loop and a timer's tick begin a level of their own, whose
// actions stand alone; when the level ends, the action it interrupted goes
// on as it was. While the program closes or the session ends no box is
// shown at all, whatever runs.
//
// The rule keeps no flag of its own: it is handed the program-wide
// message-shown flag, which only it writes. One thread (the user-interface
// thread) keeps one rule.
#pragma once

#include <string>
#include <string_view>

namespace action_rule {

class ActionRule {
public:
    explicit ActionRule(bool& shown) : m_shown(shown) {}
    ActionRule(const ActionRule&) = delete;
    ActionRule& operator=(const ActionRule&) = delete;

    // Whether the message routine may show a box now.
    bool mayShowBox() const { return !m_shown && m_held == 0; }
    // This action's box has been shown (or the action speaks for itself
    // and wants no box after its own): later messages of the action are
    // logged only.
    void boxShown() { m_shown = true; }
    // The user has answered this action's box: what follows the answer may
    // show a box of its own.
    void answered() { m_shown = false; }

    // How deeply actions run inside one another in the current level.
    int depth() const { return m_depth; }

    // The rule's scopes live on the stack, each for as long as what it
    // stands for: one user action; a level of actions of its own; no box
    // at all (the program closes, the session ends; messages are still
    // logged).
    class Scope {
    public:
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    protected:
        explicit Scope(ActionRule& rule) : m_rule(rule) {}
        ~Scope() = default;
        ActionRule& m_rule;
    };
    struct Action : Scope {
        explicit Action(ActionRule& rule);
        ~Action();
    };
    class Level : Scope {
    public:
        explicit Level(ActionRule& rule);
        ~Level();

    private:
        int m_depth;
        bool m_shown;
    };
    struct BoxesHeld : Scope {
        explicit BoxesHeld(ActionRule& rule);
        ~BoxesHeld();
    };

private:
    bool& m_shown;
    int m_depth = 0;
    int m_held = 0;
};

// "An error occurred in function <routine>": how a failed routine is
// reported.
std::string failureText(std::string_view routine);

} // namespace action_rule
