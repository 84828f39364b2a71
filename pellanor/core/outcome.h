// outcome.h
// What a routine that can fail gives back. The program's Windows layer has
// always answered "did it fail?"; the spelling says so, and a result left
// unread is a warning.
#pragma once

#include <stdexcept>

enum class [[nodiscard]] Outcome { Ok, Failed };

constexpr bool failed(Outcome o) { return o == Outcome::Failed; }
constexpr bool succeeded(Outcome o) { return o == Outcome::Ok; }
// For a rule that answers "did it fail?" as a truth value.
constexpr Outcome failedIf(bool failure) { return failure ? Outcome::Failed : Outcome::Ok; }

// A step that failed, having said so, ends the body it runs in: the
// routine around it reports its own failure.
struct StepFailed : std::runtime_error {
    StepFailed() : std::runtime_error("step failed") {}
};
inline void throwOnFailure(Outcome o) {
    if (failed(o)) throw StepFailed();
}
