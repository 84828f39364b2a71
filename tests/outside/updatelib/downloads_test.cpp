// downloads_test.cpp
// Lists and files fetched from the test update server on 127.0.0.1, directly
// and through it acting as an HTTP proxy.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "server_fixture.h"
#include "updatelib.h"

using namespace Tamberly_orvane6;
using namespace updtest;

namespace {

const std::string kList = "ORVANEF 1\r\na.txt\t3\thttp://h/a.txt\t2004-03-01\t\t\tFirst\r\n";

std::string payload(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    return s;
}

bool sawRequest(const std::string& part) {
    auto r = requests();
    return std::any_of(r.begin(), r.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

TEST(ListDownloader, FetchesAndReadsAList) {
    serve("lists/one.orvanef", kList);
    UpdateListDownloader d;
    UpdateList list;
    Result r = d.fetchList(url("/lists/one.orvanef"), list);
    EXPECT_EQ(r.code, 0) << r.reason;
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.name(1), "a.txt");
}

TEST(ListDownloader, MissingListAndBadListFail) {
    serve("lists/bad.orvanef", "<html>not a list</html>");
    serve("lists/evil.orvanef", "ORVANEF 1\r\n..\\..\\boot.ini\t1\thttp://h/x\t\t\t\tx\r\n");
    UpdateListDownloader d;
    UpdateList list;
    Result r = d.fetchList(url("/lists/none.orvanef"), list);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.reason.find("404"), std::string::npos) << r.reason;
    // The reasons go to the error log as they are: the address, then why.
    EXPECT_EQ(r.reason, url("/lists/none.orvanef") + ": the server answered 404");

    r = d.fetchList(url("/lists/bad.orvanef"), list);
    EXPECT_EQ(r.code, 2);
    r = d.fetchList(url("/lists/evil.orvanef"), list);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.reason.find("unsafe"), std::string::npos) << r.reason;
    EXPECT_EQ(list.count(), 0);
    serve("lists/size.orvanef", "ORVANEF 1\r\nx.txt\tmany\thttp://h/x\t\t\t\tX\r\n");
    r = d.fetchList(url("/lists/size.orvanef"), list);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.reason, url("/lists/size.orvanef") + ": line 2: invalid size") << "the line at fault";

    r = d.fetchList("http://127.0.0.1:1/x.orvanef", list);
    EXPECT_EQ(r.code, 1) << "nobody listens on port 1";
}

TEST(ListDownloader, GoesThroughTheProxy) {
    serve("autoUpdate/pellanor/orvaneUpdateList1.orvanef", kList);
    clearRequests();
    UpdateListDownloader d;
    d.proxy(hostPort());
    UpdateList list;
    // The host does not exist: only the proxy can answer.
    Result r = d.fetchList("http://update.pellanor.invalid/autoUpdate/pellanor/orvaneUpdateList1.orvanef", list);
    EXPECT_EQ(r.code, 0) << r.reason;
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(sawRequest("PROXY GET http://update.pellanor.invalid"));
}

class Download : public ::testing::Test {
protected:
    void SetUp() override {
        dl.progress = [this](long b) { progress.push_back(b); };
    }
    long get(const std::string& address, const std::string& local) {
        last = dl.download(address, local);
        return last.code;
    }
    // Nothing but the expected names in the folder: no temporary left over.
    void expectOnly(std::vector<std::string> names) {
        auto got = listFolder(dir.path());
        std::sort(got.begin(), got.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(got, names);
    }
    TempFolder dir;
    FileDownloader dl;
    Result last; // of the latest get
    std::vector<long> progress;
};

TEST_F(Download, ReplacesTheOldFileAndReportsProgress) {
    const std::string data = payload(100000);
    serve("files/big.bin", data);
    writeFile(dir / "big.bin", "old");
    EXPECT_EQ(get(url("/files/big.bin"), dir / "big.bin"), dlOK) << last.reason;
    EXPECT_EQ(readFile(dir / "big.bin"), data);
    EXPECT_EQ(dl.storedPath(), dir / "big.bin");
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GT(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100000);
    expectOnly({"big.bin"});
}

TEST_F(Download, FolderDestinationKeepsTheAddressName) {
    serve("files/Joy.txt", "joy");
    EXPECT_EQ(get(url("/files/Joy.txt?v=2"), dir.path() + "\\"), dlOK) << last.reason;
    EXPECT_EQ(readFile(dir / "Joy.txt"), "joy");
    EXPECT_EQ(dl.storedPath(), dir / "Joy.txt");
}

TEST_F(Download, UnsafeNamesAreRefusedBeforeAnyRequest) {
    clearRequests();
    EXPECT_EQ(get(url("/files/.."), dir.path() + "\\"), dlBadRequest);
    EXPECT_EQ(get(url("/files/"), dir.path() + "\\"), dlBadRequest);
    EXPECT_EQ(get(url("/files/NUL"), dir.path() + "\\"), dlBadRequest);
    EXPECT_EQ(get(url("/files/CONOUT$"), dir.path() + "\\"), dlBadRequest);
    EXPECT_EQ(get(url("/files/a.txt"), dir / "a*.txt"), dlBadRequest);
    EXPECT_EQ(get("ftp://127.0.0.1/a.txt", dir / "a.txt"), dlBadRequest);
    EXPECT_NE(last.reason, "");
    EXPECT_TRUE(requests().empty());
    expectOnly({});
}

TEST_F(Download, IncompleteOrRefusedDownloadsLeaveTheOldFile) {
    writeFile(dir / "keep.txt", "old content");
    EXPECT_EQ(get(url("/truncated/keep.txt"), dir / "keep.txt"), dlIncomplete);
    EXPECT_EQ(get(url("/status/404"), dir / "keep.txt"), dlHttpStatus);
    EXPECT_EQ(last.reason, url("/status/404") + ": the server answered 404");
    EXPECT_EQ(get(url("/status/500"), dir / "keep.txt"), dlHttpStatus);
    EXPECT_EQ(get("http://127.0.0.1:1/keep.txt", dir / "keep.txt"), dlNetwork);
    EXPECT_EQ(readFile(dir / "keep.txt"), "old content");
    expectOnly({"keep.txt"});

    // A file made read-only, or a folder where the file goes, is not
    // replaced, and the complete download's temporary file goes too.
    serve("files/keep.txt", "new content");
    SetFileAttributesA((dir / "keep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(get(url("/files/keep.txt"), dir / "keep.txt"), dlFileError);
    SetFileAttributesA((dir / "keep.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(dir / "keep.txt"), "old content");
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    EXPECT_EQ(get(url("/files/keep.txt"), dir / "sub"), dlFileError);
    expectOnly({"keep.txt", "sub"});
}

// The replacement a download ends with: its temporary file is moved as it
// is, and one only to be added does not replace a file that appeared
// meanwhile (the system folder's rule decided without it).
TEST_F(Download, WrittenTemporaryIsMovedWholeOrNotAtAll) {
    writeFile(dir / "t1.tmp", "new");
    EXPECT_TRUE(win32::replaceFiles({{dir / "a.dll", {}, false, dir / "t1.tmp", false}}));
    EXPECT_EQ(readFile(dir / "a.dll"), "new");
    writeFile(dir / "t2.tmp", "newer");
    win32::ReplaceFailure failure;
    EXPECT_FALSE(win32::replaceFiles({{dir / "a.dll", {}, false, dir / "t2.tmp", false}}, &failure));
    EXPECT_EQ(failure.step, win32::ReplaceFailure::Step::Replace);
    EXPECT_EQ(readFile(dir / "a.dll"), "new");
    SetFileAttributesA((dir / "a.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    writeFile(dir / "t3.tmp", "newest");
    EXPECT_FALSE(win32::replaceFiles({{dir / "a.dll", {}, false, dir / "t3.tmp"}}, &failure));
    EXPECT_EQ(failure.step, win32::ReplaceFailure::Step::ReadOnly);
    SetFileAttributesA((dir / "a.dll").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(dir / "a.dll"), "new");
    expectOnly({"a.dll"});
}

// A set of files goes in whole or not at all: a step that fails in the
// middle puts back what the steps before it replaced or removed, and
// leaves no temporary file or old copy behind. Temporary files get names
// of their own: a file of the user's beside them is neither used nor
// removed.
TEST_F(Download, ASetThatFailsInTheMiddleIsPutBackAsItWas) {
    writeFile(dir / "a.txt", "old a");
    writeFile(dir / "b.txt", "old b");
    writeFile(dir / "c.dll", "old c"); // in the way of a file only to be added
    writeFile(dir / "a.txt.new", "the user's own");
    writeFile(dir / "t.tmp", "prepared c");
    const std::vector<win32::FileReplacement> set = {
        {dir / "a.txt", "new a"}, {dir / "b.txt", {}, true}, {dir / "c.dll", {}, false, dir / "t.tmp", false}};
    win32::ReplaceFailure failure;
    EXPECT_FALSE(win32::replaceFiles(set, &failure));
    EXPECT_EQ(failure.step, win32::ReplaceFailure::Step::Replace);
    EXPECT_EQ(failure.path, dir / "c.dll");
    EXPECT_EQ(readFile(dir / "a.txt"), "old a") << "replaced, then put back";
    EXPECT_EQ(readFile(dir / "b.txt"), "old b") << "removed, then put back";
    EXPECT_EQ(readFile(dir / "c.dll"), "old c");
    EXPECT_EQ(readFile(dir / "a.txt.new"), "the user's own");
    expectOnly({"a.txt", "b.txt", "c.dll", "a.txt.new"});

    // With the way clear the same set goes in whole.
    DeleteFileA((dir / "c.dll").c_str());
    writeFile(dir / "t.tmp", "prepared c");
    EXPECT_TRUE(win32::replaceFiles(set, &failure));
    EXPECT_EQ(readFile(dir / "a.txt"), "new a");
    EXPECT_EQ(readFile(dir / "c.dll"), "prepared c");
    EXPECT_EQ(readFile(dir / "a.txt.new"), "the user's own");
    expectOnly({"a.txt", "c.dll", "a.txt.new"});
}

TEST_F(Download, MissingFolderIsAFileError) {
    serve("files/a.txt", "a");
    EXPECT_EQ(get(url("/files/a.txt"), dir / "no such folder\\a.txt"), dlFileError);
}

TEST_F(Download, AbortFromAProgressHandlerStopsAndKeepsTheOldFile) {
    serve("files/slow.bin", payload(200000));
    writeFile(dir / "slow.bin", "old");
    dl.progress = [this](long b) {
        progress.push_back(b);
        if (progress.size() == 2) dl.abort();
    };
    EXPECT_EQ(get(url("/slow/files/slow.bin"), dir / "slow.bin"), dlAborted);
    EXPECT_EQ(progress.size(), 2u);
    EXPECT_EQ(readFile(dir / "slow.bin"), "old");
    expectOnly({"slow.bin"});
    // The next download starts afresh.
    serve("files/b.txt", "b");
    EXPECT_EQ(get(url("/files/b.txt"), dir / "b.txt"), dlOK);
}

bool delivered = false;
LRESULT CALLBACK recordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP + 7) delivered = true;
    return DefWindowProcA(h, m, w, l);
}

TEST_F(Download, WindowMessagesRunDuringADownload) {
    // A posted message reaches its window while the download blocks.
    serve("files/slow2.bin", payload(40000));
    delivered = false;
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = "updtest_msg";
    RegisterClassA(&wc);
    HWND w = CreateWindowA("updtest_msg", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    delivered = false;
    dl.progress = [&](long) {
        if (!delivered) PostMessageA(w, WM_APP + 7, 0, 0);
    };
    EXPECT_EQ(get(url("/slow/files/slow2.bin"), dir / "slow2.bin"), dlOK);
    EXPECT_TRUE(delivered);
    DestroyWindow(w);
}

TEST_F(Download, GoesThroughTheProxy) {
    serve("files/p.txt", "via proxy");
    clearRequests();
    dl.proxy(hostPort());
    EXPECT_EQ(get("http://files.pellanor.invalid/files/p.txt", dir / "p.txt"), dlOK) << last.reason;
    EXPECT_EQ(readFile(dir / "p.txt"), "via proxy");
    EXPECT_TRUE(sawRequest("PROXY GET http://files.pellanor.invalid"));
}

// Runs act once, from a thread timer, after ms: only a caller whose wait
// dispatches window messages lets it run.
class Later {
public:
    Later(UINT ms, std::function<void()> act) : m_act(std::move(act)) {
        current() = this;
        m_timer = SetTimer(nullptr, 0, ms, fire);
    }
    ~Later() {
        if (m_timer) KillTimer(nullptr, m_timer);
        current() = nullptr;
    }
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;
    bool fired = false;

private:
    static Later*& current() {
        static Later* self = nullptr;
        return self;
    }
    static VOID CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Later* self = current();
        if (!self || self->fired) return;
        self->m_timer = 0;
        self->fired = true;
        self->m_act();
    }
    std::function<void()> m_act;
    UINT_PTR m_timer = 0;
};

ULONGLONG since(ULONGLONG start) { return GetTickCount64() - start; }

TEST_F(Download, ServerThatNeverAnswersIsAbortedAtOnceWhileMessagesRun) {
    writeFile(dir / "keep.txt", "old");
    dl.timeout(30);
    Later abort(300, [this] { dl.abort(); });
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(get(url("/hang/keep.txt"), dir / "keep.txt"), dlAborted);
    EXPECT_TRUE(abort.fired);
    EXPECT_LT(since(start), 5000u) << "Abort does not wait for the server";
    EXPECT_EQ(readFile(dir / "keep.txt"), "old");
    expectOnly({"keep.txt"});
}

TEST_F(Download, OwnTimeOutEndsAWaitForAnAnswerOrForData) {
    writeFile(dir / "keep.bin", "old");
    serve("files/half.bin", payload(50000));
    dl.timeout(1);
    for (const char* path : {"/hang/keep.bin", "/stall/files/half.bin"}) {
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(get(url(path), dir / "keep.bin"), dlNetwork) << path;
        EXPECT_GE(since(start), 900u) << path;
        EXPECT_LT(since(start), 6000u) << path << ": the program's time-out, not the system's";
        EXPECT_NE(last.reason.find("1 seconds"), std::string::npos) << last.reason;
        EXPECT_EQ(readFile(dir / "keep.bin"), "old");
    }
    expectOnly({"keep.bin"});
}

TEST_F(Download, ByteASecondArrivesWhileMessagesRunAndCanBeAborted) {
    // Each byte comes within the time-out, so the download goes on.
    dl.timeout(3);
    dl.expectedSize(3);
    int ticks = 0;
    dl.progress = [&](long b) { progress.push_back(b); };
    Later watch(1500, [&] { ticks = 1; });
    EXPECT_EQ(get(url("/trickle/3"), dir / "t.txt"), dlOK) << last.reason;
    EXPECT_EQ(readFile(dir / "t.txt"), "xxx");
    EXPECT_EQ(progress, (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(ticks, 1) << "the caller's timers ran during the download";

    writeFile(dir / "t.txt", "old");
    progress.clear();
    dl.timeout(30);
    dl.expectedSize(-1);
    dl.progress = [&](long b) {
        progress.push_back(b);
        dl.abort();
    };
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(get(url("/trickle/30"), dir / "t.txt"), dlAborted);
    EXPECT_LT(since(start), 5000u);
    EXPECT_EQ(readFile(dir / "t.txt"), "old");
}

TEST_F(Download, FileOfAnotherSizeThanExpectedIsRefusedAndTheOldOneKept) {
    writeFile(dir / "keep.dll", "old component");
    serve("files/ten.bin", "0123456789");
    struct Case {
        const char* path;
        long long expected;
    } cases[] = {
        {"/empty/keep.dll", 100},        // 200, no length, no body
        {"/nolength/files/ten.bin", 20}, // shorter than the list says
        {"/nolength/files/ten.bin", 5},  // longer than the list says
        {"/files/ten.bin", 11},          // announced length is not the list's
    };
    for (const Case& c : cases) {
        dl.expectedSize(c.expected);
        EXPECT_EQ(get(url(c.path), dir / "keep.dll"), dlWrongSize) << c.path << " " << c.expected;
        EXPECT_EQ(last.reason.find(url(c.path) + ": "), 0u) << last.reason;
        EXPECT_EQ(readFile(dir / "keep.dll"), "old component") << c.path;
    }
    expectOnly({"keep.dll"});
    // What arrived against what the list gives, for the error log.
    dl.expectedSize(13);
    get(url("/empty/keep.dll"), dir / "keep.dll");
    EXPECT_EQ(last.reason, url("/empty/keep.dll") + ": 0 bytes arrived, the list gives 13");
    dl.expectedSize(50);
    get(url("/nolength/files/ten.bin"), dir / "keep.dll");
    EXPECT_EQ(last.reason, url("/nolength/files/ten.bin") + ": 10 bytes arrived, the list gives 50");
    dl.expectedSize(10);
    EXPECT_EQ(get(url("/nolength/files/ten.bin"), dir / "keep.dll"), dlOK) << "the right size without a length";
    EXPECT_EQ(readFile(dir / "keep.dll"), "0123456789");
}

// A process ended during a download leaves its temporary file (the
// handler that would remove it never runs); the next download into that
// folder clears it, and nothing but the downloader's own names.
TEST_F(Download, LeftoverOfADownloadThatNeverEndedGoesAtTheNextOne) {
    serve("files/half.bin", payload(50000));
    serve("files/b.txt", "b");
    writeFile(dir / "keep.bin", "old");
    // The name the downloader really gives its temporary file, seen while
    // the download stalls.
    std::string leftover;
    dl.timeout(30);
    dl.progress = [&](long) {
        for (const std::string& n : listFolder(dir.path()))
            if (n != "keep.bin") leftover = n;
        dl.abort();
    };
    EXPECT_EQ(get(url("/stall/files/half.bin"), dir / "keep.bin"), dlAborted);
    ASSERT_FALSE(leftover.empty());
    expectOnly({"keep.bin"});
    dl.progress = nullptr;

    // What the ended process left, beside names that are not the downloader's
    // and one a download still under way holds open.
    writeFile(dir / leftover, "");
    const std::vector<std::string> foreign = {"upd1A2.tmp", "~orvane6-mine.tmp", leftover + ".txt", "notes.tmp"};
    for (const std::string& n : foreign) writeFile(dir / n, "x");
    const std::string busy = temporaryName(0x12345678);
    win32::File open(CreateFileA((dir / busy).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(open);
    EXPECT_EQ(get(url("/files/b.txt"), dir / "b.txt"), dlOK) << last.reason;
    open.reset();
    std::vector<std::string> left = foreign;
    left.insert(left.end(), {"keep.bin", "b.txt", busy});
    expectOnly(left);
}

// The system folder's rule, with real components carrying version
// resources 1.0.0.0 and 2.0.0.0 or none.
TEST_F(Download, VersionCheckedFolderTakesOnlyNewFilesAndNewerVersions) {
    const std::string v1 = readFile(UPDFIX_FOLDER "\\updfix_v1.dll");
    const std::string v2 = readFile(UPDFIX_FOLDER "\\updfix_v2.dll");
    const std::string none = readFile(UPDFIX_FOLDER "\\updfix_none.dll");
    ASSERT_FALSE(v1.empty() || v2.empty() || none.empty()) << UPDFIX_FOLDER;
    serve("fix/v1.dll", v1);
    serve("fix/v2.dll", v2);
    serve("fix/none.dll", none);
    serve("fix/notepad.exe", "nineteen bytes body");
    dl.versionChecked(true);

    EXPECT_EQ(get(url("/fix/v1.dll"), dir / "new.dll"), dlOK) << "added where none is: " << last.reason;
    EXPECT_EQ(readFile(dir / "new.dll"), v1);
    EXPECT_EQ(get(url("/fix/notepad.exe"), dir / "new.txt"), dlOK) << "a new file needs no version";
    EXPECT_EQ(get(url("/fix/v2.dll"), dir / "new.dll"), dlOK) << "a newer version replaces: " << last.reason;
    EXPECT_EQ(readFile(dir / "new.dll"), v2);
    EXPECT_EQ(dl.storedPath(), dir / "new.dll");

    writeFile(dir / "plain.dll", none);
    struct Refused {
        const char* address;
        const char* target;
        std::string kept;
    } refused[] = {
        {"/fix/v2.dll", "new.dll", v2},                         // the same version
        {"/fix/v1.dll", "new.dll", v2},                         // an older one
        {"/fix/none.dll", "new.dll", v2},                       // a download without a version
        {"/fix/notepad.exe", "new.dll", v2},                    // not even a module
        {"/fix/v2.dll", "plain.dll", none},                     // the installed file has no version
        {"/fix/notepad.exe", "new.txt", "nineteen bytes body"}, // neither has one
    };
    for (const Refused& r : refused) {
        EXPECT_EQ(get(url(r.address), dir / r.target), dlVersionRefused) << r.address << " over " << r.target;
        EXPECT_EQ(readFile(dir / r.target), r.kept) << r.address << " over " << r.target;
        EXPECT_NE(last.reason.find(r.target), std::string::npos) << last.reason;
    }
    expectOnly({"new.dll", "new.txt", "plain.dll"});

    // Elsewhere the download replaces whatever is there, as before.
    dl.versionChecked(false);
    EXPECT_EQ(get(url("/fix/v1.dll"), dir / "new.dll"), dlOK);
    EXPECT_EQ(readFile(dir / "new.dll"), v1);
}

TEST(ListDownloader, UnansweredFetchEndsOnItsTimeOutOrAbort) {
    UpdateListDownloader d;
    UpdateList list;
    d.timeout(1);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(d.fetchList(url("/hang/list.orvanef"), list).code, 1);
    EXPECT_LT(since(start), 6000u);

    d.timeout(30);
    Later abort(300, [&] { d.abort(); });
    start = GetTickCount64();
    EXPECT_EQ(d.fetchList(url("/hang/list.orvanef"), list).code, 1);
    EXPECT_TRUE(abort.fired);
    EXPECT_LT(since(start), 5000u);

    // An empty answer is no list.
    EXPECT_EQ(d.fetchList(url("/empty/list.orvanef"), list).code, 2);
}

} // namespace
