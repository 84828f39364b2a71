// driver_test.cpp
// The check driver and its container against the fake control: the two
// passes, the records and texts of the conflicts, the stop flags.
#include "verify/VerVrfy2.h"
#include "verify/orvane_ids.h"
#include "verify_fixture.h"

namespace {

using VerVrfyControl::gConflictCount;
using VerVrfyControl::gEmbeddedFound;

fake::Copy copy(const std::string& path, LONG size) {
    fake::Copy c;
    c.path = path;
    c.version = "5.0.0.0";
    c.dateString = "2001-08-23 12:00:00";
    c.size = size;
    c.versionString = "5.0";
    return c;
}

using Driver = VerifyTest;

TEST_F(Driver, NoConflictThenOneScanEndingAtTheFirstEmbeddedFile) {
    script.embeddedFiles = {"orvane36.ocx", "sockloom6.dll", "kernel32.dll"};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    // Sited in run mode before loading the window's saved data.
    EXPECT_TRUE(record.userMode);
    EXPECT_TRUE(record.siteBeforeLoad);
    EXPECT_EQ(record.loadedData, std::vector<BYTE>(orvane1SavedData().begin(), orvane1SavedData().end()));
    EXPECT_FALSE(record.initNew);
    // The invisible control is not activated; the scan starts inside the
    // verification's EnumComplete and is stopped by the first FileScan.
    EXPECT_EQ(record.calls, (std::vector<std::string>{"put VerifyFile C:\\Pellanor\\pellanor.exe",
                                                      "put ScanFile C:\\Pellanor\\pellanor.exe"}));
    EXPECT_EQ(record.maxNesting, 2);
    EXPECT_EQ(record.fileScansRaised, 1);
    EXPECT_EQ(record.stopAfterEvent, std::vector<bool>{true});
    EXPECT_EQ(record.enumCompletes, 2);
    EXPECT_TRUE(gEmbeddedFound);
    EXPECT_EQ(gConflictCount, 0);
    EXPECT_EQ(listLines(w.ConflictListBox), std::vector<std::string>{"No conflicts found"});
    EXPECT_EQ(VerVrfyControl::mousePointer(), 0);
    EXPECT_EQ(alerts, (std::vector<std::string>{"flash", "sound"}));
}

TEST_F(Driver, NoEmbeddedListSaysSo) {
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_FALSE(gEmbeddedFound);
    EXPECT_EQ(listLines(w.ConflictListBox), std::vector<std::string>{"No component files embedded into this EXE"});
}

TEST_F(Driver, WithoutTargetTheLaunchModesRunTheList) {
    VerVrfyControl::gTargetFile.clear();
    script.embeddedFiles = {"a.dll"};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(record.calls, (std::vector<std::string>{"put VerifyMode 2", "put VerifyMode 3"}));
    EXPECT_TRUE(gEmbeddedFound);
}

TEST_F(Driver, ConflictsAreRecordedWithoutStoppingTheVerification) {
    fake::Conflict a;
    a.referenceFile = "orvane36.ocx";
    a.foundFile = "C:\\W\\orvane36.ocx";
    a.flags = 0x4;
    a.found = copy("C:\\W\\orvane36.ocx", 777);
    a.found.flags = 0x21;
    a.foundGUID = "{F}";
    a.foundTypeLibVersion = 0x00050002;
    a.foundTypeLibLCID = 9;
    fake::Conflict b;
    b.referenceFile = "sockloom6.dll";
    b.flags = 0x80;
    script.conflicts = {a, b};
    script.embeddedFiles = {"never.dll"};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(record.stopAfterEvent, (std::vector<bool>{false, false}));
    EXPECT_EQ(record.calls, std::vector<std::string>{"put VerifyFile C:\\Pellanor\\pellanor.exe"});
    EXPECT_EQ(record.fileScansRaised, 0);
    ASSERT_EQ(gConflictCount, 2);
    EXPECT_EQ(listLines(w.ConflictListBox), (std::vector<std::string>{"orvane36.ocx", "sockloom6.dll"}));

    const auto& r = VerVrfyControl::gRecords;
    EXPECT_EQ(r.conflicts[1].refSize, 4096);
    EXPECT_EQ(r.conflicts[1].refDateLow, 11);
    EXPECT_EQ(r.conflicts[1].refTypeLibVersion, "6.0");
    EXPECT_EQ(r.conflicts[1].refTypeLibLCID, "0");
    const auto& f = r.foundFiles[static_cast<size_t>(r.conflicts[1].firstFound)];
    EXPECT_EQ(f.filePath, "C:\\W\\orvane36.ocx");
    EXPECT_EQ(f.fileSize, 777);
    EXPECT_EQ(f.fileFlags, 0x21);
    EXPECT_EQ(f.fileGUID, "{F}");
    EXPECT_EQ(f.fileTypeLibVersion, "5.2");
    EXPECT_EQ(f.fileTypeLibLCID, "9");
    EXPECT_EQ(f.conflictFlags, 0x4);
    EXPECT_EQ(f.nextFound, -1);
    // Not found: one empty record.
    const auto& g = r.foundFiles[static_cast<size_t>(r.conflicts[2].firstFound)];
    EXPECT_EQ(g.filePath, "");
    EXPECT_EQ(g.conflictFlags, 0x80);
}

TEST_F(Driver, OtherCopiesAreReadByReferenceIndexAndChained) {
    fake::Conflict a;
    a.referenceFile = "x.dll";
    a.foundFile = "A\\x.dll";
    a.flags = 0x10;
    a.others = {copy("A\\x.dll", 1), copy("B\\x.dll", 2), copy("C\\x.dll", 3)};
    a.others[0].flags = 0x21;
    script.conflicts = {a};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_TRUE(record.indexByReference);
    const auto& r = VerVrfyControl::gRecords;
    ASSERT_EQ(r.foundFiles.size(), 4u);
    EXPECT_EQ(r.foundFiles[1].filePath, "A\\x.dll");
    EXPECT_EQ(r.foundFiles[3].filePath, "C\\x.dll");
    EXPECT_EQ(r.foundFiles[3].fileSize, 3);

    SendMessageA(w.ConflictListBox, LB_SETCURSEL, 0, 0);
    w.ConflictListBox_Click();
    const std::string detail = ui::getWindowText(w.DetailText);
    EXPECT_NE(detail.find("Actual File Found : \tA\\x.dll\r\n"), std::string::npos) << detail;
    EXPECT_NE(detail.find("Special Version was found: Debug, SpecialBuild\r\n"), std::string::npos);
    EXPECT_NE(detail.find("following directories : \r\n\r\nB\\x.dll\r\n"), std::string::npos);
    EXPECT_NE(detail.find("\r\nC\\x.dll\r\n"), std::string::npos);
    EXPECT_EQ(VerVrfyControl::gRegisterPath, "A\\x.dll");
}

TEST_F(Driver, AConflictThatCannotBeReadWholeIsListedWithWhatWasRead) {
    fake::Conflict broken;
    broken.referenceFile = "broken.dll";
    broken.foundFile = "A\\broken.dll";
    broken.others = {copy("A\\broken.dll", 1), copy("B\\broken.dll", 2)};
    broken.failOtherIndex = 1;
    fake::Conflict fine;
    fine.referenceFile = "fine.dll";
    fine.flags = 0x80;
    script.conflicts = {broken, fine};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(gConflictCount, 2);
    EXPECT_EQ(listLines(w.ConflictListBox), (std::vector<std::string>{"broken.dll", "fine.dll"}));
    const auto& r = VerVrfyControl::gRecords;
    ASSERT_EQ(r.foundFiles.size(), 4u);
    EXPECT_EQ(r.foundFiles[1].filePath, "A\\broken.dll");
    EXPECT_EQ(r.foundFiles[1].fileSize, 1);
    EXPECT_EQ(r.foundFiles[2].filePath, "(could not be read)");
    EXPECT_EQ(r.foundFiles[2].fileSize, std::nullopt);
    EXPECT_EQ(r.foundFiles[1].nextFound, 2);

    SendMessageA(w.ConflictListBox, LB_SETCURSEL, 0, 0);
    w.ConflictListBox_Click();
    const std::string detail = ui::getWindowText(w.DetailText);
    EXPECT_NE(detail.find("following directories : \r\n\r\n(could not be read)\r\n"
                          "Actual File Date : \t(could not be read)\r\n"
                          "Actual File Size : \t(could not be read)\r\n"),
              std::string::npos)
        << detail;
}

TEST_F(Driver, AConflictWhoseDetailsCannotBeReadIsStillCountedAndSaysSo) {
    fake::Conflict a;
    a.referenceFile = "orvane36.ocx";
    a.foundFile = "C:\\W\\orvane36.ocx";
    a.flags = 0x14;
    a.found = copy("C:\\W\\orvane36.ocx", 777);
    a.failMembers = {orvane::dispid::RefVersion, orvane::dispid::RefSize, orvane::dispid::FoundSize,
                     orvane::dispid::FoundFlags};
    // Without a count of the copies, the copy the event names is read.
    fake::Conflict b;
    b.referenceFile = "sockloom6.dll";
    b.foundFile = "C:\\W\\sockloom6.dll";
    b.flags = 0x4;
    b.found = copy("C:\\W\\sockloom6.dll", 55);
    b.others = {copy("elsewhere", 1)};
    b.failMembers = {orvane::dispid::OtherCount};
    script.conflicts = {a, b};
    script.embeddedFiles = {"never.dll"};
    registerFake();
    VerVrfy2 w;
    ASSERT_TRUE(w.load());
    EXPECT_EQ(record.stopAfterEvent, (std::vector<bool>{false, false}));
    ASSERT_EQ(gConflictCount, 2);
    EXPECT_EQ(listLines(w.ConflictListBox), (std::vector<std::string>{"orvane36.ocx", "sockloom6.dll"}));

    SendMessageA(w.ConflictListBox, LB_SETCURSEL, 0, 0);
    w.ConflictListBox_Click();
    std::string detail = ui::getWindowText(w.DetailText);
    EXPECT_EQ(detail.find("Reference File Date : \t2003-05-17 14:02:00\r\n"
                          "Reference File Size : \t(could not be read)\r\n"
                          "Reference File Version : \t(could not be read)\r\n"),
              0u)
        << detail;
    EXPECT_NE(detail.find("Actual File Found : \tC:\\W\\orvane36.ocx\r\n"
                          "Actual File Date : \t2001-08-23 12:00:00\r\n"
                          "Actual File Size : \t(could not be read)\r\n"
                          "Actual File Version : \t5.0.0.0\r\n"),
              std::string::npos)
        << detail;
    EXPECT_NE(detail.find("Older Version was found.\r\nSpecial Version was found: (could not be read)\r\n"),
              std::string::npos)
        << detail;

    SendMessageA(w.ConflictListBox, LB_SETCURSEL, 1, 0);
    w.ConflictListBox_Click();
    detail = ui::getWindowText(w.DetailText);
    EXPECT_NE(detail.find("Actual File Found : \tC:\\W\\sockloom6.dll\r\n"
                          "Actual File Date : \t2001-08-23 12:00:00\r\n"
                          "Actual File Size : \t55\r\n"),
              std::string::npos)
        << detail;
    EXPECT_EQ(detail.find("following directories"), std::string::npos) << detail;
    EXPECT_EQ(VerVrfyControl::gRegisterPath, "C:\\W\\sockloom6.dll");
}

TEST_F(Driver, AControlErrorEndsTheCheckWithoutAResult) {
    script.verifyFailure = static_cast<HRESULT>(0x800A0035);
    script.verifyFailureText = "File not found";
    registerFake();
    VerVrfy2 w;
    EXPECT_FALSE(w.load());
    ASSERT_TRUE(w.loadError().has_value());
    EXPECT_EQ(w.loadError()->number(), 53);
    EXPECT_EQ(w.loadError()->description(), "File not found");
    EXPECT_EQ(VerVrfyControl::mousePointer(), 0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(Driver, AScanErrorEndsTheCheckWithItsOwnError) {
    // The launch-mode road: the scan is VerifyMode 3.
    VerVrfyControl::gTargetFile.clear();
    script.scanFailure = static_cast<HRESULT>(0x800A004B);
    script.scanFailureText = "Path/File access error";
    registerFake();
    VerVrfy2 w;
    EXPECT_FALSE(w.load());
    EXPECT_EQ(record.calls, (std::vector<std::string>{"put VerifyMode 2", "put VerifyMode 3"}));
    ASSERT_TRUE(w.loadError().has_value());
    EXPECT_EQ(w.loadError()->number(), 75);
    EXPECT_EQ(w.loadError()->description(), "Path/File access error");
    EXPECT_EQ(VerVrfyControl::mousePointer(), 0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(Driver, AControlThatCannotBeMadeIsReported) {
    registerFake(REGDB_E_CLASSNOTREG);
    VerVrfy2 w;
    EXPECT_FALSE(w.load());
    ASSERT_TRUE(w.loadError().has_value());
    EXPECT_EQ(w.loadError()->number(), 429);
    EXPECT_EQ(w.loadError()->description(), "ActiveX component can't create object");
}

} // namespace
