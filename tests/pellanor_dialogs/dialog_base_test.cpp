// dialog_base_test.cpp
// The dialog base (template, dispatch, modal loop, deferred close) and the
// Enter rule of text fields, on a small test dialog driven through the
// dialog manager as the modal loop drives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "common/ui/Dialog.h"
#include "EnterField.h"
#include "dialog_driver.h"
#include "test_dialogs_res.h"

using namespace dialogdriver;

namespace {

class FieldsDialog : public ui::Dialog {
public:
    explicit FieldsDialog(bool failLoad = false, HWND owner = nullptr) : m_failLoad(failLoad) {
        created = create(IDD_TEST_FIELDS, owner);
    }

    bool created = false;
    int inits = 0, oks = 0, cancels = 0, others = 0;
    int enters = 0, gotFocus = 0, lostFocus = 0;
    bool ownerEnabledDuringModal = true;
    HWND owner = nullptr;
    ui::EnterField name, notes;

    HWND item(int id) const { return getItem(id); }

protected:
    bool OnInit() override {
        ++inits;
        // The name is valid when not empty; an empty one gets its default back.
        name.attach(getItem(IDC_TEST_NAME), IDOK,
                    {[this] { ++gotFocus; },
                     [this] {
                         ++enters;
                         if (!name.text().empty()) return true;
                         name.setText("default");
                         name.selectAll();
                         return false;
                     },
                     [this] { ++lostFocus; }});
        notes.attach(getItem(IDC_TEST_NOTES), IDOK, {});
        if (m_failLoad) close();
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDC_TEST_OTHER && code == BN_CLICKED) {
            ++others;
            if (owner) ownerEnabledDuringModal = IsWindowEnabled(owner) != FALSE;
            endModal(42);
            return true;
        }
        return ui::Dialog::OnCommand(id, code, control);
    }
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }

private:
    bool m_failLoad;
};

TEST(DialogBase, TemplateDispatchAndDeferredClose) {
    FieldsDialog d;
    ASSERT_TRUE(d.created);
    EXPECT_EQ(d.inits, 1);
    EXPECT_FALSE(IsWindowVisible(d.hwnd())) << "created hidden";
    char caption[64] = {};
    GetWindowTextA(d.hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Fields");

    click(d.hwnd(), IDOK);
    click(d.hwnd(), IDCANCEL);
    EXPECT_EQ(d.oks, 1);
    EXPECT_EQ(d.cancels, 1);

    // endModal closes once the handler has returned, not inside it.
    SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED), 0);
    EXPECT_TRUE(d.isOpen());
    pump(d.hwnd());
    EXPECT_FALSE(d.isOpen());
}

TEST(DialogBase, CloseBoxIsNotCancel) {
    FieldsDialog d;
    SendMessageA(d.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(d.cancels, 0);
}

TEST(DialogBase, LoadThatClosesLeavesNothingToShow) {
    FieldsDialog d(true);
    EXPECT_FALSE(d.created);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(d.showModal(nullptr), 0) << "returns at once";
}

TEST(DialogBase, ModalLoopDisablesOwnerAndReturnsTheResult) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(owner);
    {
        FieldsDialog d(false, owner);
        d.owner = owner;
        PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED), 0);
        EXPECT_EQ(d.showModal(owner), 42);
        EXPECT_EQ(d.others, 1);
        EXPECT_FALSE(d.ownerEnabledDuringModal);
        EXPECT_TRUE(IsWindowEnabled(owner)) << "given back";
        EXPECT_FALSE(d.isOpen());
    }
    DestroyWindow(owner);
}

class EnterRule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(d.created);
        focus(d.hwnd(), d.item(IDC_TEST_NAME));
    }
    FieldsDialog d;
};

TEST_F(EnterRule, FirstEnterValidatesSecondPressesOK) {
    EXPECT_EQ(d.gotFocus, 1);
    EXPECT_EQ(defaultId(d.hwnd()), 0) << "OK is not the default while the field has the focus";
    type(d.hwnd(), "Ann");
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.enters, 1);
    EXPECT_EQ(d.oks, 0);
    EXPECT_EQ(defaultId(d.hwnd()), IDOK);
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.enters, 1);
    EXPECT_EQ(d.oks, 1);
    EXPECT_EQ(text(d.item(IDC_TEST_NAME)), "Ann") << "no line break, nothing lost";
}

TEST_F(EnterRule, InvalidEnterPutsTheDefaultBackAndKeepsWaiting) {
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(text(d.item(IDC_TEST_NAME)), "default");
    DWORD start = 1, end = 0;
    SendMessageA(d.item(IDC_TEST_NAME), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 7u);
    EXPECT_EQ(GetFocus(), d.item(IDC_TEST_NAME));
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.enters, 2);
    EXPECT_EQ(d.oks, 0);
}

TEST_F(EnterRule, ChangingTheFieldAfterEnterCallsForAnotherEnter) {
    type(d.hwnd(), "A");
    key(d.hwnd(), VK_RETURN);
    type(d.hwnd(), "b");
    EXPECT_EQ(defaultId(d.hwnd()), 0);
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.enters, 2);
    EXPECT_EQ(d.oks, 0);
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.oks, 1);
}

TEST_F(EnterRule, LeavingTheFieldMakesOKTheDefault) {
    setText(d.item(IDC_TEST_NUMBER), "12345");
    focus(d.hwnd(), d.item(IDC_TEST_CHECK));
    EXPECT_EQ(d.lostFocus, 1);
    EXPECT_EQ(defaultId(d.hwnd()), IDOK);
    key(d.hwnd(), VK_RETURN);
    EXPECT_EQ(d.oks, 1);
    EXPECT_EQ(d.enters, 0);
}

TEST_F(EnterRule, FocusSelectsTheWholeText) {
    setText(d.item(IDC_TEST_NAME), "hello");
    focus(d.hwnd(), d.item(IDC_TEST_CHECK));
    SendMessageA(d.item(IDC_TEST_NAME), EM_SETSEL, 2, 2);
    SetFocus(d.item(IDC_TEST_NAME)); // as a mouse click gives it
    pump(d.hwnd());
    DWORD start = 1, end = 0;
    SendMessageA(d.item(IDC_TEST_NAME), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    EXPECT_EQ(d.gotFocus, 2);
}

TEST_F(EnterRule, EnterNeverBreaksAMultiLineField) {
    focus(d.hwnd(), d.item(IDC_TEST_NOTES));
    type(d.hwnd(), "a");
    key(d.hwnd(), VK_RETURN);
    PostMessageA(GetFocus(), WM_CHAR, '\n', 1); // Ctrl+Enter
    pump(d.hwnd());
    type(d.hwnd(), "b");
    EXPECT_EQ(text(d.item(IDC_TEST_NOTES)), "ab");
    EXPECT_EQ(d.oks, 0);
    key(d.hwnd(), VK_ESCAPE);
    EXPECT_EQ(d.cancels, 1) << "Escape reaches the dialog from a multi-line field";
    EXPECT_TRUE(d.isOpen());
}

TEST_F(EnterRule, AnotherWindowTakingTheFocusIsNotAFieldChange) {
    HWND other = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(other);
    SetFocus(other);
    SetFocus(d.item(IDC_TEST_NAME));
    pump(d.hwnd());
    EXPECT_EQ(d.lostFocus, 0);
    EXPECT_EQ(d.gotFocus, 1);
    EXPECT_EQ(defaultId(d.hwnd()), 0) << "still waiting for its Enter";
    DestroyWindow(other);
}

} // namespace
