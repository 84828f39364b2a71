// install_test.cpp
// File dates and the hand-over of downloaded components.
#include <gtest/gtest.h>

#include "common/win32/handles.h"
#include "server_fixture.h"
#include "updatelib.h"

using namespace Tamberly_orvane6;
using namespace updtest;

namespace {

SYSTEMTIME localWriteTime(const std::string& path) {
    SYSTEMTIME st{};
    win32::File h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h) return st;
    FILETIME utc, local;
    GetFileTime(h.get(), nullptr, nullptr, &utc);
    h.reset();
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    return st;
}

TEST(FileDateSetter, GivesTheFileTheListDate) {
    TempFolder dir;
    writeFile(dir / "a.txt", "a");
    FileDateSetter s;
    s.fileName(dir / "a.txt");
    s.fileDate({2004, 2, 29, 13, 45, 10});
    EXPECT_EQ(s.apply().code, 0);
    SYSTEMTIME st = localWriteTime(dir / "a.txt");
    EXPECT_EQ(st.wYear, 2004);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 13);
    EXPECT_EQ(st.wMinute, 45);
    EXPECT_EQ(st.wSecond, 10);
}

TEST(FileDateSetter, FailsForAMissingFileOrImpossibleDate) {
    TempFolder dir;
    FileDateSetter s;
    s.fileName(dir / "none.txt");
    s.fileDate({2004, 1, 1, 0, 0, 0});
    EXPECT_NE(s.apply().code, 0);
    writeFile(dir / "b.txt", "b");
    s.fileName(dir / "b.txt");
    s.fileDate({2004, 13, 1, 0, 0, 0});
    EXPECT_NE(s.apply().code, 0);
}

TEST(ComponentInstaller, RegistersOnlyTheNamedComponent) {
    TempFolder dir;
    writeFile(dir / "notes.txt", "text");
    writeFile(dir / "broken.ocx", "MZ but not really a library");
    ComponentInstaller inst;
    EXPECT_EQ(inst.install(dir / "notes.txt", dir / "notes.txt").code, 0) << "plain files need nothing";
    EXPECT_EQ(inst.install(dir / "broken.ocx", "").code, 0) << "not the file the entry names: left alone";
    const Result broken = inst.install(dir / "broken.ocx", dir / "BROKEN.OCX");
    EXPECT_EQ(broken.code, 1) << "a component that cannot be loaded fails";
    EXPECT_EQ(broken.reason.find((dir / "broken.ocx") + ": cannot be loaded: "), 0u) << broken.reason;
    inst.registerComponents(false);
    EXPECT_EQ(inst.install(dir / "broken.ocx", dir / "broken.ocx").code, 0);
}

} // namespace
