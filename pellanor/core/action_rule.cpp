// action_rule.cpp
#include "action_rule.h"

namespace action_rule {

ActionRule::Action::Action(ActionRule& rule) : Scope(rule) {
    if (m_rule.m_depth == 0) m_rule.m_shown = false;
    ++m_rule.m_depth;
}

ActionRule::Action::~Action() { --m_rule.m_depth; }

ActionRule::Level::Level(ActionRule& rule) : Scope(rule), m_depth(rule.m_depth), m_shown(rule.m_shown) {
    m_rule.m_depth = 0;
}

ActionRule::Level::~Level() {
    m_rule.m_depth = m_depth;
    m_rule.m_shown = m_shown;
}

ActionRule::BoxesHeld::BoxesHeld(ActionRule& rule) : Scope(rule) { ++m_rule.m_held; }

ActionRule::BoxesHeld::~BoxesHeld() { --m_rule.m_held; }

std::string failureText(std::string_view routine) {
    return "An error occurred in function " + std::string(routine);
}

} // namespace action_rule
