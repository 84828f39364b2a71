// conflict_records_test.cpp
// The conflict records and the texts built from them.
#include <gtest/gtest.h>

#include "conflict_records.h"

using namespace VerVrfyControl;

namespace {

FoundFileRecord copyAt(const std::string& path, int32_t size) {
    FoundFileRecord f;
    f.filePath = path;
    f.fileVersion = "1.2.3.4";
    f.fileDateString = "2004-01-02 03:04:05";
    f.fileSize = size;
    f.fileGUID = "{G}";
    f.fileTypeLibLCID = "0";
    f.fileTypeLibVersion = "1.0";
    f.fileVersionString = "1.2";
    return f;
}

// One conflict with flags over the given copies (at least one record).
CheckRecords oneConflict(int32_t flags, std::vector<FoundFileRecord> copies, int32_t fileFlags = 0) {
    ConflictRecord c;
    c.referenceFile = "x.dll";
    c.refVersion = "2.0.0.0";
    c.refDateString = "2003-05-17 14:02:00";
    c.refSize = 4096;
    c.refGUID = "{R}";
    c.refTypeLibLCID = "9";
    c.refTypeLibVersion = "2.1";
    c.refVersionString = "2.0";
    if (copies.empty()) copies.emplace_back();
    for (auto& f : copies) {
        f.conflictFlags = flags;
        f.fileFlags = fileFlags;
    }
    CheckRecords r;
    EXPECT_TRUE(r.append(c, copies));
    return r;
}

TEST(VersionText, SignedHighWordDotUnsignedLowWord) {
    EXPECT_EQ(versionText(0x00020001), "2.1");
    EXPECT_EQ(versionText(static_cast<int32_t>(0xFFFF0000u)), "-1.0");
    EXPECT_EQ(versionText(0x0000FFFF), "0.65535");
    EXPECT_EQ(versionText(0x7FFF8000), "32767.32768");
}

TEST(SpecialFlagNames, FixedOrderCommaSeparated) {
    EXPECT_EQ(specialFlagNames(0x21), "Debug, SpecialBuild");
    EXPECT_EQ(specialFlagNames(0x3F), "Debug, Infoinferred, Patched, Prerelease, PrivateBuild, SpecialBuild");
    EXPECT_EQ(specialFlagNames(0x04), "Patched");
    EXPECT_EQ(specialFlagNames(0x40), "");
    EXPECT_EQ(specialFlagNames(0), "");
}

TEST(ConflictDescription, BitsInAscendingOrderEachFollowedBySeparator) {
    EXPECT_EQ(conflictDescriptionOf(0, "\r\n", 0).text, "");
    Description d = conflictDescriptionOf(0x880, "|", 0);
    EXPECT_EQ(d.text, "No matching file was found.|File was not registered in registry.|");
    EXPECT_TRUE(d.registerNeeded);
    EXPECT_EQ(conflictDescriptionOf(0x10, "\r\n", 0x21).text, "Special Version was found: Debug, SpecialBuild\r\n");
    EXPECT_FALSE(conflictDescriptionOf(0x7FF, "", 0).registerNeeded);

    // Every one of the seventeen bits has its own text; none above.
    Description all = conflictDescriptionOf(0x1FFFF, "\n", 0);
    size_t lines = 0;
    for (char ch : all.text) lines += ch == '\n';
    EXPECT_EQ(lines, 17u);
    EXPECT_EQ(all.text.find("Older file was found (based on file date).\n"), 0u);
    EXPECT_NE(all.text.find("\nNewer version string value found.\n"), std::string::npos);
    EXPECT_EQ(conflictDescriptionOf(static_cast<int32_t>(0xFFFE0000u), "\n", 0).text, "");
}

TEST(ConflictDetail, FoundFileWithTypeLibAndStringBits) {
    CheckRecords r = oneConflict(0x9004, {copyAt("C:\\a\\x.dll", 100)});
    Detail d = conflictDetailOf(r, 1);
    EXPECT_EQ(d.text,
              "Reference File Date : \t2003-05-17 14:02:00\r\n"
              "Reference File Size : \t4096\r\n"
              "Reference File Version : \t2.0.0.0\r\n"
              "Reference File GUID : \t{R}\r\n"
              "Reference File LCID : \t9\r\n"
              "Reference File TypeLib : \t2.1\r\n"
              "Reference File String : \t2.0\r\n"
              "\r\n"
              "Actual File Found : \tC:\\a\\x.dll\r\n"
              "Actual File Date : \t2004-01-02 03:04:05\r\n"
              "Actual File Size : \t100\r\n"
              "Actual File Version : \t1.2.3.4\r\n"
              "Actual File GUID : \t{G}\r\n"
              "Actual File TypeLib LCID : \t0\r\n"
              "Actual File TypeLib : \t1.0\r\n"
              "Actual File String : \t1.2\r\n"
              "\r\n"
              "Older Version was found.\r\n"
              "Older version found (based on TypeLib Registry entry).\r\n"
              "Older version string value found.\r\n");
    EXPECT_EQ(d.actualFile, "C:\\a\\x.dll");
    EXPECT_FALSE(d.registerNeeded);
}

TEST(ConflictDetail, NotFoundShowsNoActualFileLines) {
    CheckRecords r = oneConflict(0x880, {});
    Detail d = conflictDetailOf(r, 1);
    EXPECT_EQ(d.text,
              "Reference File Date : \t2003-05-17 14:02:00\r\n"
              "Reference File Size : \t4096\r\n"
              "Reference File Version : \t2.0.0.0\r\n"
              "\r\n"
              "Actual File Found : \t\r\n"
              "No matching file was found.\r\n"
              "File was not registered in registry.\r\n");
    EXPECT_EQ(d.actualFile, "");
    EXPECT_TRUE(d.registerNeeded);
}

TEST(ConflictDetail, FactsThatCouldNotBeReadSaySo) {
    CheckRecords r = oneConflict(0x14, {copyAt(std::string(kUnreadable), 0)});
    r.conflicts[1].refSize = std::nullopt;
    r.foundFiles[1].fileSize = std::nullopt;
    r.foundFiles[1].fileFlags = std::nullopt;
    Detail d = conflictDetailOf(r, 1);
    EXPECT_EQ(d.text,
              "Reference File Date : \t2003-05-17 14:02:00\r\n"
              "Reference File Size : \t(could not be read)\r\n"
              "Reference File Version : \t2.0.0.0\r\n"
              "\r\n"
              "Actual File Found : \t(could not be read)\r\n"
              "Actual File Date : \t2004-01-02 03:04:05\r\n"
              "Actual File Size : \t(could not be read)\r\n"
              "Actual File Version : \t1.2.3.4\r\n"
              "\r\n"
              "Older Version was found.\r\n"
              "Special Version was found: (could not be read)\r\n");
    EXPECT_EQ(d.actualFile, "") << "no path, nothing to register";
}

TEST(ConflictDetail, OtherCopiesListedAfterTheFirst) {
    CheckRecords r = oneConflict(0x4, {copyAt("A\\x.dll", 1), copyAt("B\\x.dll", 2), copyAt("C\\x.dll", 3)});
    ASSERT_EQ(r.foundFiles.size(), 4u);
    EXPECT_EQ(r.conflicts[1].firstFound, 1);
    EXPECT_EQ(r.foundFiles[1].nextFound, 2);
    EXPECT_EQ(r.foundFiles[2].nextFound, 3);
    EXPECT_EQ(r.foundFiles[3].nextFound, -1);
    std::string t = conflictDetailOf(r, 1).text;
    EXPECT_NE(t.find("Actual File Found : \tA\\x.dll\r\n"), std::string::npos);
    const std::string tail = "Older Version was found.\r\n"
                             "\r\nFile was also found in the following directories : \r\n"
                             "\r\nB\\x.dll\r\nActual File Date : \t2004-01-02 03:04:05\r\n"
                             "Actual File Size : \t2\r\nActual File Version : \t1.2.3.4\r\n"
                             "\r\nC\\x.dll\r\nActual File Date : \t2004-01-02 03:04:05\r\n"
                             "Actual File Size : \t3\r\nActual File Version : \t1.2.3.4\r\n";
    ASSERT_GE(t.size(), tail.size());
    EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}

TEST(ConflictDetail, OutsideTheConflictsIsEmpty) {
    CheckRecords r = oneConflict(0x4, {copyAt("A", 1)});
    EXPECT_EQ(conflictDetailOf(r, 2).text, "");
    EXPECT_EQ(conflictDetailOf(r, 0).text, "");
    EXPECT_EQ(conflictDetailOf(CheckRecords{}, 1).text, "");
}

TEST(CheckRecords, SecondConflictChainsAfterTheFirstsRecords) {
    CheckRecords r = oneConflict(0x4, {copyAt("A", 1), copyAt("B", 2)});
    ConflictRecord c;
    c.referenceFile = "y.dll";
    ASSERT_TRUE(r.append(c, {}));
    EXPECT_EQ(r.count(), 2);
    EXPECT_EQ(r.conflicts[2].firstFound, 3);
    EXPECT_EQ(r.foundFiles[3].nextFound, -1);
    r.reset();
    EXPECT_EQ(r.count(), 0);
    EXPECT_EQ(r.foundFiles.size(), 1u);
}

TEST(CheckRecords, IndexPastSixteenBitsChangesNothing) {
    CheckRecords r;
    r.foundFiles.resize(32767);   // the last usable record index is taken
    std::vector<FoundFileRecord> two(2);
    EXPECT_FALSE(r.append(ConflictRecord{}, two));
    EXPECT_EQ(r.count(), 0);
    EXPECT_EQ(r.foundFiles.size(), 32767u);
    EXPECT_TRUE(r.append(ConflictRecord{}, {}));
    EXPECT_EQ(r.conflicts[1].firstFound, 32767);

    CheckRecords full;
    full.conflicts.resize(32768);   // 32767 conflicts
    EXPECT_FALSE(full.append(ConflictRecord{}, {}));
    EXPECT_EQ(full.count(), 32767);
}

TEST(ConflictList, ReferenceFilesOrWhyThereAreNone) {
    CheckRecords none;
    EXPECT_EQ(conflictListLines(none, true), std::vector<std::string>{"No conflicts found"});
    EXPECT_EQ(conflictListLines(none, false), std::vector<std::string>{"No component files embedded into this EXE"});
    CheckRecords r = oneConflict(0x4, {});
    ConflictRecord second;
    second.referenceFile = "z.ocx";
    r.append(second, {});
    EXPECT_EQ(conflictListLines(r, false), (std::vector<std::string>{"x.dll", "z.ocx"}));
}

TEST(CheckEnd, UpToDateOnlyWhenTheProgramsListWasFound) {
    EXPECT_EQ(checkEnd(0, true), CheckEnd::UpToDate);
    EXPECT_EQ(checkEnd(0, false), CheckEnd::NoFileList);
    EXPECT_EQ(checkEnd(1, false), CheckEnd::Conflicts);
    EXPECT_EQ(checkEnd(2, true), CheckEnd::Conflicts);
}

TEST(TargetFile, BackslashAddedOnlyWhenMissing) {
    EXPECT_EQ(targetFileFor("C:\\Program Files\\Pellanor"), "C:\\Program Files\\Pellanor\\pellanor.exe");
    EXPECT_EQ(targetFileFor("D:\\"), "D:\\pellanor.exe");
}

} // namespace
