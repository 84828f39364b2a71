// frmLogin_test.cpp
// The administrator logon, hidden, with the system's logon answered
// through the seam (Wine accepts every password).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "pellanor/win/Module1.h"
#include "dialog_driver.h"
#include "dialogs_res.h"
#include "frmLogin.h"
#include "seams.h"
#include "win_test_support.h"

using namespace testsupport;
using namespace dialogdriver;

namespace {

class Logon : public ::testing::Test {
protected:
    void SetUp() override {
        gLogonOK = false;
        gAdminUser.clear();
        gAdminPassword.clear();
        seams::setLogonUser([this](const std::string& user, const std::string& domain,
                                   const std::string& password) {
            calls.push_back({user, domain, password});
            return accept;
        });
    }
    void TearDown() override {
        dlg.reset();
        seams::setLogonUser(nullptr);
    }
    void open() {
        dlg = std::make_unique<frmLogin>(nullptr);
        ASSERT_TRUE(dlg->isOpen());
        pump(dlg->hwnd());
    }
    HWND h() const { return dlg->hwnd(); }

    struct Call {
        std::string user, domain, password;
    };
    std::vector<Call> calls;
    bool accept = false;
    BoxRecorder boxes;
    std::unique_ptr<frmLogin> dlg;
};

TEST_F(Logon, RefusedLogonSaysSoAndStaysOpen) {
    open();
    EXPECT_EQ(text(h()), "Administrator Login");
    EXPECT_EQ(SendMessageA(dlg->txtUserName[1], EM_GETPASSWORDCHAR, 0, 0), '*');
    setText(dlg->txtUserName[0], "admin");
    setText(dlg->txtUserName[1], "wrong");
    focus(h(), dlg->txtUserName[1]);
    click(h(), IDOK);

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].user, "admin");
    EXPECT_EQ(calls[0].domain, "");
    EXPECT_EQ(calls[0].password, "wrong");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "The logon information was incorrect, please try again.   ");
    EXPECT_EQ(boxes.boxes[0].caption, "Password and/or Username were incorrect");
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes.boxes[0].owner, h());
    EXPECT_TRUE(dlg->isOpen());
    EXPECT_FALSE(gLogonOK);
    EXPECT_EQ(GetFocus(), dlg->txtUserName[0]);
    EXPECT_EQ(text(h()), "Administrator Login") << "caption back after the wait";
}

TEST_F(Logon, EmptyNameAndPasswordGoToTheSystemUnchanged) {
    open();
    click(h(), IDOK);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].user, "");
    EXPECT_EQ(calls[0].password, "");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(Logon, FirstEnterMakesOKTheDefaultSecondEnterLogsOn) {
    accept = true;
    open();
    EXPECT_EQ(GetFocus(), dlg->txtUserName[0]);
    type(h(), "admin");
    key(h(), VK_RETURN);
    EXPECT_TRUE(calls.empty()) << "the first Enter does not submit";
    EXPECT_EQ(defaultId(h()), IDOK);
    key(h(), VK_TAB);
    EXPECT_EQ(GetFocus(), dlg->txtUserName[1]);
    type(h(), "s3cret");
    key(h(), VK_RETURN);
    EXPECT_TRUE(calls.empty());
    key(h(), VK_RETURN);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].password, "s3cret");
    EXPECT_TRUE(gLogonOK);
    EXPECT_EQ(gAdminUser, "admin");
    EXPECT_EQ(gAdminPassword.text(), "s3cret");
    EXPECT_FALSE(dlg->isOpen());
}

TEST_F(Logon, TabbingIntoABoxSelectsWhatIsInIt) {
    open();
    setText(dlg->txtUserName[1], "abcd");
    key(h(), VK_TAB);
    ASSERT_EQ(GetFocus(), dlg->txtUserName[1]);
    DWORD start = 1, end = 0;
    SendMessageA(dlg->txtUserName[1], EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
}

TEST_F(Logon, CancelClearsTheLogon) {
    gLogonOK = true;
    open();
    click(h(), IDCANCEL);
    EXPECT_FALSE(gLogonOK);
    EXPECT_FALSE(dlg->isOpen());
}

VOID CALLBACK closeLogonWindow(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA(nullptr, "Administrator Login");
    if (!d) return;
    KillTimer(nullptr, id);
    SetDlgItemTextA(d, IDC_LOGIN_USERNAME1, "typed");
    PostMessageA(d, WM_CLOSE, 0, 0);
}

TEST_F(Logon, OpenerDoesNotTrustAnEarlierLogonAndWipesAnUnusedPassword) {
    gLogonOK = true; // left from an earlier, accepted logon
    gAdminPassword = "earlier";
    SetTimer(nullptr, 0, 10, closeLogonWindow);
    EXPECT_FALSE(frmLogin::askForLogon(nullptr)) << "closed by its frame";
    EXPECT_FALSE(gLogonOK);
    EXPECT_TRUE(gAdminPassword.empty());
    EXPECT_TRUE(calls.empty());
}

TEST_F(Logon, WipedPasswordLeavesNoCharacters) {
    gAdminPassword = "a long password kept on the heap";
    const char* data = gAdminPassword.data();
    size_t n = gAdminPassword.size();
    wipeAdminPassword();
    EXPECT_TRUE(gAdminPassword.empty());
    // The buffer stays the string's own after clear(): it must hold no trace.
    EXPECT_EQ(std::string(data, n), std::string(n, '\0'));
}

TEST_F(Logon, AShorterPasswordLeavesNothingOfTheOneBefore) {
    // Typed into the dialog: the box's text goes into the old buffer.
    gAdminPassword = "a long password kept on the heap";
    const char* data = gAdminPassword.data();
    const size_t n = gAdminPassword.size();
    accept = true;
    open();
    setText(dlg->txtUserName[1], "short");
    click(h(), IDOK);
    ASSERT_EQ(gAdminPassword.text(), "short");
    ASSERT_EQ(gAdminPassword.data(), data) << "the buffer was reused";
    EXPECT_EQ(std::string(data + 5, n - 5), std::string(n - 5, '\0'));

    // Set directly, the same.
    gAdminPassword = "another long password on the heap";
    data = gAdminPassword.data();
    const size_t m = gAdminPassword.size();
    gAdminPassword = "tiny";
    ASSERT_EQ(gAdminPassword.data(), data);
    EXPECT_EQ(std::string(data + 4, m - 4), std::string(m - 4, '\0'));
}

} // namespace
