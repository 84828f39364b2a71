// file_probe.h
// What Windows says about one copy of a listed file and about its
// registration: size and date, the version resource (GetFileVersionInfo),
// the type library's registrations, modules loaded in this process. The
// comparisons themselves are the core's (version_compare.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32/handles.h"
#include "version_compare.h"

namespace orvanescan {

// The facts of the file at path, with its full path; none when no file is
// there (a folder is no file).
std::optional<CopyFacts> ProbeFile(const std::string& path, uint32_t source);

// The version facts of a version resource: its fixed part and its
// "FileVersion" text (ANSI). The buffer is cut to the resource's own
// length, without the scratch space GetFileVersionInfo adds.
void ReadVersionFacts(std::vector<uint8_t> buffer, std::vector<uint8_t>& versionBuffer,
                      std::optional<FixedFileInfo>& fixed, std::string& versionString);

// Every registration of lib's GUID in HKEY_CLASSES_ROOT\TypeLib for this
// process's bitness, each marked when its path is foundPath.
std::vector<Registration> ReadRegistrations(const TypeLibId& lib, const std::string& foundPath);

// Whether a module with the file name of name is loaded in this process
// from a path other than foundPath (from anywhere, when foundPath is "").
bool LoadedElsewhere(std::string_view name, const std::string& foundPath);

// Two paths of the file system that name the same file: both are made
// full and long (8.3 names expanded) before they are compared.
bool SameFile(const std::string& a, const std::string& b);

// text with its %VARIABLE%s expanded (unchanged when that fails).
std::string ExpandText(const std::string& text);

// An application's App Paths registration (HKEY_LOCAL_MACHINE
// ...\CurrentVersion\App Paths\<name>): the folder of its executable and
// the folders of its "Path" value. Empty parts when not registered.
struct AppPath {
    std::string folder;
    std::vector<std::string> folders;
};
AppPath ReadAppPath(const std::string& applicationName);

// The full path of path, or path itself when Windows cannot make one.
std::string FullPath(const std::string& path);

// A FILETIME (UTC) as local time "YYYY-MM-DD hh:mm:ss"; "" for 0.
std::string DateText(uint64_t fileTime);
// Local date and time parts as a FILETIME (UTC); none when invalid.
std::optional<uint64_t> FileTimeFromLocal(int year, int month, int day, int hour, int minute, int second);

struct ViewTraits {
    static const void* invalid() noexcept { return nullptr; }
    static void close(const void* view) noexcept { UnmapViewOfFile(view); }
};

class MappedFile {
public:
    // False with GetLastError set when the file cannot be opened or mapped.
    bool open(const std::string& path);
    std::span<const uint8_t> bytes() const { return {static_cast<const uint8_t*>(m_view.get()), m_size}; }

private:
    win32::File m_file;
    win32::Handle m_mapping;
    win32::UniqueHandle<const void*, ViewTraits> m_view;
    size_t m_size = 0;
};

} // namespace orvanescan
