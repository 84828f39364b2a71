// revision_check.h
// The start-up's comparison of the version stored for the machine with
// the running one, and what the program does about it.
#pragma once

#include <compare>
#include <optional>
#include <string>

namespace revision_check {

struct Version {
    long major = 0, minor = 0, revision = 0;
    // Major first, then minor, then revision.
    auto operator<=>(const Version&) const = default;
};
// The running version.
Version running();

// A stored part of the version: missing or not a number counts as 0.
long storedNumber(const std::optional<std::string>& text);
// The stored "patchExecuted": true only when it is there and says so.
bool patchExecuted(const std::optional<std::string>& text);

// What the check does:
//   WarnOlder    the running version is older than the stored one: warn
//                and reset the time of the last update check;
//   NewVersion   it is newer (nothing stored counts as older): a first run
//                of this version;
//   Nothing      the same version, and no update left half-installed;
//   FailedPatch  the same version, but the last update did not finish:
//                the user is offered to run it again.
enum class Decision { WarnOlder, NewVersion, Nothing, FailedPatch };
Decision decide(const Version& stored, bool patchExecuted);

// Whether the check then stores the running version, removes the update
// program and resets "patchExecuted": after everything but Nothing, unless
// the update program was started again (it finishes that itself).
bool tidiesUp(Decision decision, bool updateStarted);

inline constexpr const char* kOlderText =
    "This version of Pellanor is Older than the version you were previously running.  "
    "You installed an older version.   ";
inline constexpr const char* kOlderCaption = "Version Warning";

} // namespace revision_check
