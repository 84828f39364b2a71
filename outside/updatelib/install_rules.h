// install_rules.h
// What may be put where: the version rule of the system folder, the one
// place a program patch counts as a patch, the names of the downloader's
// own temporary files, and what a download's result says. Portable: no
// Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Tamberly_orvane6 {

// A file version of a version resource: its four 16-bit parts, the most
// significant first, packed as the resource's two 32-bit halves are.
using FileVersion = std::uint64_t;

inline constexpr FileVersion packVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (FileVersion{a & 0xFFFFu} << 48) | (FileVersion{b & 0xFFFFu} << 32) | (FileVersion{c & 0xFFFFu} << 16) |
           FileVersion{d & 0xFFFFu};
}
// "a.b.c.d"
std::string versionText(FileVersion v);

// What the system folder does with a downloaded file, as version-checked
// installation decides: a file is added where none of its name is, and
// replaces one only when both carry version resources and the download's
// file version is the newer.
enum class SystemFileVerdict {
    add,
    replace,
    unversioned, // the installed file or the download carries no version resource
    notNewer,    // the download's version is the installed one's or older
};
// installed: the version of the file already there (none when it has no
// version resource); only looked at when installedExists.
SystemFileVerdict systemFileVerdict(bool installedExists, std::optional<FileVersion> installed,
                                    std::optional<FileVersion> offered);
inline bool isInstalled(SystemFileVerdict v) { return v == SystemFileVerdict::add || v == SystemFileVerdict::replace; }

// Results of FileDownloader::download.
enum DownloadResult : long {
    dlOK = 0,
    dlBadRequest = 1,   // not an http:// address, or an unsafe file name
    dlNetwork = 2,      // no connection, time-out, broken transfer
    dlHttpStatus = 3,   // the server answered other than 200
    dlIncomplete = 4,   // fewer bytes arrived than the server announced
    dlFileError = 5,    // the file could not be written or put in place
    dlAborted = 6,      // abort() was called
    dlWrongSize = 7,    // the file is not as long as expectedSize says
    dlVersionRefused = 8, // versionChecked: neither a new file nor a newer version
};

// The program patch: a download whose address names "update.exe" (exactly,
// as the lists write it), and which is a patch only once stored as the
// program folder's own update.exe, the file the installer hand-over starts.
inline constexpr std::string_view kPatchName = "update.exe";
inline bool isPatchAddress(std::string_view urlName) { return urlName == kPatchName; }
// Whether target is programFolder's update.exe (folder with or without its
// trailing "\"; ASCII case ignored, as Windows ignores it).
bool isPatchDestination(std::string_view target, std::string_view programFolder);

// The downloader's temporary files, "~orvane6-XXXXXXXX.tmp" with eight
// upper-case hex digits of n. A download that never ended (the process
// killed) leaves one behind; only names of exactly this form are taken
// for such leftovers.
inline constexpr std::string_view kTemporaryPrefix = "~orvane6-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";
std::string temporaryName(std::uint32_t n);
bool isTemporaryName(std::string_view name);

} // namespace Tamberly_orvane6
