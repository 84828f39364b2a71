// conflict_records.cpp
#include "conflict_records.h"

#include <array>
#include <utility>

namespace VerVrfyControl {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// One "label : <TAB> value" line.
void addLine(std::string& out, std::string_view label, std::string_view value) {
    out.append(label).append("\t").append(value).append(kLineEnd);
}

// The date, size and version lines of a copy found.
void addCopyLines(std::string& out, const FoundFileRecord& f) {
    addLine(out, "Actual File Date : ", f.fileDateString);
    addLine(out, "Actual File Size : ", numberText(f.fileSize));
    addLine(out, "Actual File Version : ", f.fileVersion);
}

constexpr std::array<std::string_view, 17> kBitTexts{
    "Older file was found (based on file date).",
    "Newer file was found (based on file date).",
    "Older Version was found.",
    "Newer Version was found.",
    "Special Version was found: ",
    "Always warn was set for this file.",
    "File was found in memory.",
    "No matching file was found.",
    "File does not contain Version Information.",
    "Larger size file was found.",
    "Smaller size file was found.",
    "File was not registered in registry.",
    "Older version found (based on TypeLib Registry entry).",
    "Newer version found (based on TypeLib Registry entry).",
    "No TypeLib version information found.",
    "Older version string value found.",
    "Newer version string value found.",
};

constexpr int kSpecialVersionBit = 4;
constexpr int kNotRegisteredIndex = 11;

} // namespace

void CheckRecords::reset() {
    conflicts.assign(1, ConflictRecord{});
    foundFiles.assign(1, FoundFileRecord{});
}

bool CheckRecords::append(ConflictRecord conflict, std::vector<FoundFileRecord> found) {
    if (found.empty()) found.emplace_back();
    const size_t first = foundFiles.size();
    const size_t last = first + found.size() - 1;
    if (conflicts.size() > static_cast<size_t>(kMaxRecords) || last > static_cast<size_t>(kMaxRecords))
        return false;
    conflict.firstFound = static_cast<int16_t>(first);
    for (size_t i = 0; i < found.size(); ++i)
        found[i].nextFound = i + 1 < found.size() ? static_cast<int16_t>(first + i + 1) : int16_t{-1};
    conflicts.reserve(conflicts.size() + 1);
    foundFiles.reserve(last + 1);
    conflicts.push_back(std::move(conflict));
    for (FoundFileRecord& f : found) foundFiles.push_back(std::move(f));
    return true;
}

std::string versionText(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    const auto high = static_cast<int16_t>(static_cast<uint16_t>(bits >> 16));
    const auto low = static_cast<uint16_t>(bits & 0xFFFFu);
    return std::to_string(high) + "." + std::to_string(low);
}

std::string numberText(const ReadNumber& value) {
    return value ? std::to_string(*value) : std::string(kUnreadable);
}

std::string specialFlagNames(int32_t fileFlags) {
    static constexpr std::array<std::pair<int32_t, std::string_view>, 6> kNames{{
        {0x01, "Debug"},
        {0x10, "Infoinferred"},
        {0x04, "Patched"},
        {0x02, "Prerelease"},
        {0x08, "PrivateBuild"},
        {0x20, "SpecialBuild"},
    }};
    std::string out;
    for (const auto& [bit, name] : kNames)
        if (fileFlags & bit) out.append(name).append(", ");
    if (!out.empty()) out.resize(out.size() - 2);
    return out;
}

Description conflictDescriptionOf(int32_t conflictFlags, std::string_view separator, ReadNumber fileFlags) {
    Description d;
    const auto flags = static_cast<uint32_t>(conflictFlags);
    for (size_t bit = 0; bit < kBitTexts.size(); ++bit) {
        if (!(flags & (1u << bit))) continue;
        d.text.append(kBitTexts[bit]);
        if (bit == kSpecialVersionBit) d.text.append(fileFlags ? specialFlagNames(*fileFlags) : kUnreadable);
        if (bit == kNotRegisteredIndex) d.registerNeeded = true;
        d.text.append(separator);
    }
    return d;
}

Detail conflictDetailOf(const CheckRecords& records, int n) {
    Detail d;
    if (n < 1 || n >= static_cast<int>(records.conflicts.size())) return d;
    const ConflictRecord& c = records.conflicts[static_cast<size_t>(n)];
    const auto firstIndex = static_cast<size_t>(c.firstFound);
    if (firstIndex >= records.foundFiles.size()) return d;
    const FoundFileRecord& f = records.foundFiles[firstIndex];
    const int32_t flags = f.conflictFlags;
    const auto high = static_cast<uint32_t>(flags) & ~0x7FFFu;
    std::string& t = d.text;

    addLine(t, "Reference File Date : ", c.refDateString);
    addLine(t, "Reference File Size : ", numberText(c.refSize));
    addLine(t, "Reference File Version : ", c.refVersion);
    if (flags & kTypeLibBits) {
        addLine(t, "Reference File GUID : ", c.refGUID);
        addLine(t, "Reference File LCID : ", c.refTypeLibLCID);
        addLine(t, "Reference File TypeLib : ", c.refTypeLibVersion);
    }
    if (flags >= 0x8000) addLine(t, "Reference File String : ", c.refVersionString);
    t.append(kLineEnd).append("Actual File Found : \t");
    if (!(flags & kNotFoundBit)) {
        t.append(f.filePath).append(kLineEnd);
        // A path the control could not give is nothing to register.
        if (f.filePath != kUnreadable) d.actualFile = f.filePath;
        addCopyLines(t, f);
        if (flags & kTypeLibBits) {
            addLine(t, "Actual File GUID : ", f.fileGUID);
            addLine(t, "Actual File TypeLib LCID : ", f.fileTypeLibLCID);
            addLine(t, "Actual File TypeLib : ", f.fileTypeLibVersion);
        }
        if (high) addLine(t, "Actual File String : ", f.fileVersionString);
    }
    t.append(kLineEnd);
    Description desc = conflictDescriptionOf(flags, kLineEnd, f.fileFlags);
    t.append(desc.text);
    d.registerNeeded = desc.registerNeeded;

    if (f.nextFound >= 0) {
        t.append(kLineEnd).append("File was also found in the following directories : ").append(kLineEnd);
        // The chain only moves forward, so a damaged link cannot loop.
        size_t previous = firstIndex;
        for (int16_t i = f.nextFound; i >= 1 && static_cast<size_t>(i) < records.foundFiles.size() &&
                                      static_cast<size_t>(i) > previous;
             i = records.foundFiles[static_cast<size_t>(i)].nextFound) {
            const FoundFileRecord& r = records.foundFiles[static_cast<size_t>(i)];
            t.append(kLineEnd).append(r.filePath).append(kLineEnd);
            addCopyLines(t, r);
            previous = static_cast<size_t>(i);
        }
    }
    return d;
}

std::vector<std::string> conflictListLines(const CheckRecords& records, bool embeddedFound) {
    std::vector<std::string> lines;
    if (records.count() > 0) {
        for (size_t i = 1; i < records.conflicts.size(); ++i) lines.push_back(records.conflicts[i].referenceFile);
    } else {
        lines.emplace_back(embeddedFound ? "No conflicts found" : "No component files embedded into this EXE");
    }
    return lines;
}

std::string targetFileFor(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + "pellanor.exe";
}

CheckEnd checkEnd(int conflictCount, bool embeddedFound) {
    if (conflictCount > 0) return CheckEnd::Conflicts;
    // Nothing was compared: no conflict says nothing about the files.
    return embeddedFound ? CheckEnd::UpToDate : CheckEnd::NoFileList;
}

std::string noFileListText(const std::string& targetFile) {
    return "The list of the files Pellanor needs could not be found in " + targetFile +
           ", so those files could not be checked.  Please re-install the program using the Windows Control "
           "Panel.  ";
}

} // namespace VerVrfyControl
