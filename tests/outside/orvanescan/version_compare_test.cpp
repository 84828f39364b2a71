// version_compare_test.cpp
// The comparison rules: version texts, dates, the registration compared,
// and how findings become conflict bits. Each bit against real files is
// in engine_conflicts_test.cpp.
#include "version_compare.h"

#include <gtest/gtest.h>

using namespace orvanescan;

TEST(VersionTexts, CompareNumberByNumber) {
    EXPECT_EQ(CompareVersionTexts("2.10", "2.9"), 1);
    EXPECT_EQ(CompareVersionTexts("2.9", "2.10"), -1);
    EXPECT_EQ(CompareVersionTexts("6, 0, 81, 0", "6.0.81.0"), 0);
    EXPECT_EQ(CompareVersionTexts("1.0", "1.0.0.0"), 0);
    EXPECT_EQ(CompareVersionTexts("1.0.0.1", "1.0"), 1);
    EXPECT_EQ(CompareVersionTexts("01.002", "1.2"), 0);
    // Numbers longer than any integer still compare.
    EXPECT_EQ(CompareVersionTexts("1.99999999999999999999", "1.100000000000000000000"), -1);
    EXPECT_EQ(CompareVersionTexts("version 3 (beta)", "2.9"), 1);
    EXPECT_FALSE(CompareVersionTexts("", "1.0"));
    EXPECT_FALSE(CompareVersionTexts("1.0", "beta"));
}

TEST(FileTimes, WithinTwoSecondsAreEqual) {
    const uint64_t t = 127000000000000000ull;
    EXPECT_EQ(CompareFileTimes(t, t + kDateTolerance - 1), 0);
    EXPECT_EQ(CompareFileTimes(t + kDateTolerance - 1, t), 0);
    EXPECT_EQ(CompareFileTimes(t, t + kDateTolerance), -1);
    EXPECT_EQ(CompareFileTimes(t + kDateTolerance, t), 1);
}

TEST(Registrations, TheOneNamingTheFoundCopyWins) {
    auto reg = [](uint32_t version, bool names) {
        Registration r;
        r.id.version = version;
        r.namesFoundCopy = names;
        return r;
    };
    EXPECT_FALSE(ChooseRegistration({}));
    EXPECT_EQ(ChooseRegistration({reg(0x10000, false), reg(0x30000, false), reg(0x20000, false)})->id.version,
              0x30000u);
    auto chosen = ChooseRegistration({reg(0x60000, false), reg(0x10000, true), reg(0x10002, true)});
    EXPECT_EQ(chosen->id.version, 0x10002u);
    EXPECT_TRUE(chosen->namesFoundCopy);
}

namespace {

FixedFileInfo version(uint32_t ms, uint32_t ls = 0) {
    FixedFileInfo f;
    f.fileVersionMS = ms;
    f.fileVersionLS = ls;
    f.fileFlagsMask = 0x3F;
    return f;
}

class Conflicts : public ::testing::Test {
protected:
    void SetUp() override {
        ref.name = "a.dll";
        ref.warnings = conflict::kAll;
        copy.path = "C:\\app\\a.dll";
        copy.size = 1000;
        copy.date = 127000000000000000ull;
        copy.fixed = version(0x00020000);
        copy.versionString = "2.0";
    }
    uint32_t bits() {
        Findings f;
        f.found = &copy;
        f.registrations = registrations;
        f.loadedElsewhere = loadedElsewhere;
        return ComputeConflicts(ref, f);
    }

    Reference ref;
    CopyFacts copy;
    std::vector<Registration> registrations;
    bool loadedElsewhere = false;
};

} // namespace

TEST_F(Conflicts, AReferenceWithNothingToCompareOnlyAlwaysWarns) {
    EXPECT_EQ(bits(), conflict::kAlwaysWarn);
    ref.warnings = conflict::kDefaultWarnings;
    EXPECT_EQ(bits(), 0u);
}

TEST_F(Conflicts, MissingFileRaisesOnlyWhatNeedsNoFile) {
    ref.fixed = version(0x00010000);
    ref.size = 5;
    ref.typeLib.guid[0] = 1;
    Findings none;
    none.loadedElsewhere = true;
    EXPECT_EQ(ComputeConflicts(ref, none), conflict::kNotFound | conflict::kAlwaysWarn | conflict::kInMemory);
    ref.warnings = conflict::kOlderVersion;
    EXPECT_EQ(ComputeConflicts(ref, none), 0u);
}

TEST_F(Conflicts, VersionsCompareAllFourParts) {
    ref.warnings = conflict::kOlderVersion | conflict::kNewerVersion;
    ref.fixed = version(0x00020000, 1);
    EXPECT_EQ(bits(), conflict::kOlderVersion);
    ref.fixed = version(0x00010009, 0xFFFFFFFF);
    EXPECT_EQ(bits(), conflict::kNewerVersion);
    ref.fixed = version(0x00020000);
    EXPECT_EQ(bits(), 0u);
}

TEST_F(Conflicts, AFileWithoutVersionInformation) {
    ref.warnings = conflict::kAll & ~conflict::kAlwaysWarn;
    ref.fixed = version(0x00010000);
    copy.fixed.reset();
    EXPECT_EQ(bits(), conflict::kNoVersionInfo);
}

TEST_F(Conflicts, WarningsLimitWhatIsReported) {
    ref.fixed = version(0x00030000);
    ref.size = 1;
    ref.warnings = conflict::kOlderVersion;
    EXPECT_EQ(bits(), conflict::kOlderVersion);
    ref.warnings = conflict::kLargerSize;
    EXPECT_EQ(bits(), conflict::kLargerSize);
    ref.warnings = conflict::kNewerVersion;
    EXPECT_EQ(bits(), 0u);
}
