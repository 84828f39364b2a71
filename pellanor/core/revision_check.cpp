// revision_check.cpp
#include "revision_check.h"

#include "settings_rules.h"

namespace revision_check {

Version running() { return {settings_rules::kRevMajor, settings_rules::kRevMinor, settings_rules::kRevRevision}; }

long storedNumber(const std::optional<std::string>& text) {
    long n = 0;
    return text && settings_rules::parseLong(*text, n) ? n : 0;
}

bool patchExecuted(const std::optional<std::string>& text) { return text && settings_rules::toBoolean(*text); }

Decision decide(const Version& stored, bool patchExecuted) {
    if (stored > running()) return Decision::WarnOlder;
    if (stored < running()) return Decision::NewVersion;
    return patchExecuted ? Decision::FailedPatch : Decision::Nothing;
}

bool tidiesUp(Decision decision, bool updateStarted) {
    if (decision == Decision::Nothing) return false;
    return !(decision == Decision::FailedPatch && updateStarted);
}

} // namespace revision_check
