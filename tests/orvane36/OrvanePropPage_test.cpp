// OrvanePropPage_test.cpp
// The property page driven as a property frame drives it: SetPageSite,
// SetObjects, Activate inside a parent window, clicks on its controls,
// Apply; and the messages the Select Files dialog sends it.
#include "OrvanePropPage.h"

#include <gtest/gtest.h>

#include "Orvane.h"
#include "OrvanePropPage_res.h"
#include "common/win32/handles.h"
#include "control_host.h"

using namespace ocx_test;
using Control = orvane36::Orvane;
using Page = orvane36::OrvanePropPage;

namespace {

class PageSite final : public com::Object<IPropertyPageSite> {
public:
    std::vector<DWORD> statuses;
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        statuses.push_back(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* l) override {
        *l = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** u) override {
        *u = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP, 0, 0, 500, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
        control = com::make<Control>(kMissingEngineClsid);
        control->InitNew();
        page = com::make<Page>();
        site = com::make<PageSite>();
        page->SetPageSite(site.get());
    }
    void TearDown() override {
        page->SetObjects(0, nullptr);
        page->Deactivate();
        page->SetPageSite(nullptr);
        DestroyWindow(frame);
    }
    void activate(IUnknown* object) {
        IUnknown* objects[] = {object};
        ASSERT_EQ(page->SetObjects(1, objects), S_OK);
        RECT r{0, 0, 400, 200};
        ASSERT_EQ(page->Activate(frame, &r, FALSE), S_OK);
        ASSERT_TRUE(page->window());
    }
    HWND item(int id) const { return GetDlgItem(page->window(), id); }
    bool checked(int id) const { return SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void click(int id) { SendMessageA(item(id), BM_CLICK, 0, 0); }
    std::string text(int id) const {
        char buf[1024] = "";
        GetWindowTextA(item(id), buf, sizeof buf);
        return buf;
    }
    IUnknown* unknown() const { return control->identity(); }

    HWND frame = nullptr;
    com::ComPtr<Control> control;
    com::ComPtr<Page> page;
    com::ComPtr<PageSite> site;
};

} // namespace

TEST_F(PageTest, PageInfoFromTheStringTable) {
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Orvane Property Page");
    EXPECT_STREQ(info.pszHelpFile, L"orvguide.hlp");
    EXPECT_STREQ(info.pszDocString, L"Quennick Orvane Property page");
    EXPECT_EQ(info.dwHelpContext, 1561u);
    EXPECT_GT(info.size.cx, info.size.cy);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
    CoTaskMemFree(info.pszDocString);
}

TEST_F(PageTest, FillsFromTheControl) {
    control->put_PathFilter(1 | 16);
    control->put_FileFilter(2 | 8);
    com::Bstr paths = com::Bstr::fromAnsi("C:\\libs");
    control->put_OtherPaths(paths.get());
    control->put_VerifyMode(orvOnLoad);
    control->put_Delay(VARIANT_TRUE);
    activate(unknown());
    EXPECT_TRUE(checked(IDC_CURRENT_DIR));
    EXPECT_FALSE(checked(IDC_SYSTEM_DIR));
    EXPECT_TRUE(checked(IDC_OTHER_PATH));
    EXPECT_TRUE(checked(IDC_DLL));
    EXPECT_FALSE(checked(IDC_OCX));
    EXPECT_TRUE(checked(IDC_OTHER_FILES));
    EXPECT_TRUE(checked(IDC_DELAY));
    EXPECT_FALSE(checked(IDC_SLAVE));
    EXPECT_EQ(text(IDC_OTHER_PATH_TEXT), "C:\\libs");
    EXPECT_TRUE(IsWindowEnabled(item(IDC_OTHER_PATH_TEXT)));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_OTHER_FILES_TEXT)));
    // Modes 0 and 1 only, the current one selected.
    EXPECT_EQ(SendMessageA(item(IDC_VERIFYMODE), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(item(IDC_VERIFYMODE), CB_GETCURSEL, 0, 0), 1);
    char line[64] = "";
    SendMessageA(item(IDC_VERIFYMODE), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_STREQ(line, "0 - None");
    EXPECT_EQ(page->IsPageDirty(), S_FALSE) << "filling marks nothing";
    EXPECT_TRUE(site->statuses.empty());
    EXPECT_TRUE(GetWindowLongA(page->window(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

TEST_F(PageTest, TwoControlsShowOnlyTheMultiSelectionText) {
    auto other = com::make<Control>(kMissingEngineClsid);
    IUnknown* objects[] = {unknown(), other->identity()};
    ASSERT_EQ(page->SetObjects(2, objects), S_OK);
    RECT r{0, 0, 400, 200};
    ASSERT_EQ(page->Activate(frame, &r, FALSE), S_OK);
    EXPECT_EQ(page->control(), nullptr);
    EXPECT_TRUE(GetWindowLongA(item(IDC_NO_MULTI_SELECT), GWL_STYLE) & WS_VISIBLE);
    for (int id : {IDC_SLAVE, IDC_VERIFYMODE, IDC_SELECT_FILES, IDC_CURRENT_DIR})
        EXPECT_FALSE(GetWindowLongA(item(id), GWL_STYLE) & WS_VISIBLE) << id;
    // Back to one control: the page shows again.
    IUnknown* one[] = {unknown()};
    page->SetObjects(1, one);
    EXPECT_FALSE(GetWindowLongA(item(IDC_NO_MULTI_SELECT), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongA(item(IDC_SLAVE), GWL_STYLE) & WS_VISIBLE);
    // Something that is not the control is no selection either.
    auto stranger = com::make<ChangeListener>();
    IUnknown* foreign[] = {stranger->identity()};
    page->SetObjects(1, foreign);
    EXPECT_EQ(page->control(), nullptr);
}

TEST_F(PageTest, ApplyPutsEverySetting) {
    activate(unknown());
    click(IDC_EXE);
    click(IDC_SYSTEM_DIR);   // clears bit 2
    click(IDC_CURRENT_DIR);  // sets bit 1
    click(IDC_DELAY);
    click(IDC_READPROPERRORS);
    SendMessageA(item(IDC_VERIFYMODE), CB_SETCURSEL, 1, 0);
    SendMessageA(page->window(), WM_COMMAND, MAKEWPARAM(IDC_VERIFYMODE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(item(IDC_VERIFYMODE)));
    click(IDC_OTHER_FILES);
    SetWindowTextA(item(IDC_OTHER_FILES_TEXT), "*.olb");
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    ASSERT_FALSE(site->statuses.empty());
    EXPECT_EQ(site->statuses.back(), static_cast<DWORD>(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE));

    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    SHORT n = 0;
    control->get_FileFilter(&n);
    EXPECT_EQ(n, 1 | 2 | 4 | 8);
    control->get_PathFilter(&n);
    EXPECT_EQ(n, 1 | 4);
    enumVerifyMode mode = orvNone;
    control->get_VerifyMode(&mode);
    EXPECT_EQ(mode, orvOnLoad);
    VARIANT_BOOL b = VARIANT_FALSE;
    control->get_Delay(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    control->get_ReadPropErrors(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    BSTR ext = nullptr;
    control->get_FileFilterExt(&ext);
    EXPECT_EQ(com::Bstr::attach(ext).view(), L"*.olb");
}

TEST_F(PageTest, AnOverlongExtensionFailsApplyAndKeepsTheFocusThere) {
    com::Bstr old = com::Bstr::fromAnsi("*.old");
    control->put_FileFilterExt(old.get());
    control->put_FileFilter(8);
    activate(unknown());
    ShowWindow(frame, SW_SHOW);
    click(IDC_DELAY);
    click(IDC_OCX);
    SetWindowTextA(item(IDC_OTHER_FILES_TEXT), std::string(300, 'x').c_str());
    SetWindowTextA(item(IDC_OTHER_PATH_TEXT), "C:\\never");
    EXPECT_EQ(page->Apply(), E_FAIL);
    // The settings before the texts were applied; the texts were not.
    VARIANT_BOOL b = VARIANT_FALSE;
    control->get_Delay(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    SHORT n = 0;
    control->get_FileFilter(&n);
    EXPECT_EQ(n, 1 | 8);
    BSTR paths = reinterpret_cast<BSTR>(1);
    control->get_OtherPaths(&paths);
    EXPECT_EQ(paths, nullptr);
    // The page shows the control again, focus in the Ext box.
    EXPECT_EQ(text(IDC_OTHER_FILES_TEXT), "*.old");
    EXPECT_EQ(GetFocus(), item(IDC_OTHER_FILES_TEXT));
    ShowWindow(frame, SW_HIDE);
}

TEST_F(PageTest, OtherFilesTogglesTheExtBoxAndKeepsItsCopy) {
    com::Bstr ext = com::Bstr::fromAnsi("*.tlb");
    control->put_FileFilterExt(ext.get());
    control->put_FileFilter(8);
    activate(unknown());
    click(IDC_OTHER_FILES);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_OTHER_FILES_TEXT)));
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    SetWindowTextA(item(IDC_OTHER_FILES_TEXT), "typed meanwhile");
    click(IDC_OTHER_FILES);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_OTHER_FILES_TEXT)));
    EXPECT_EQ(text(IDC_OTHER_FILES_TEXT), "*.tlb") << "the page copy comes back";
    // The same for Other Path, whose copy is empty.
    click(IDC_OTHER_PATH);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_OTHER_PATH_TEXT)));
    EXPECT_EQ(text(IDC_OTHER_PATH_TEXT), "");
}

TEST_F(PageTest, SelectFilesMessagesReachPageAndControl) {
    activate(unknown());
    orvane36::FileList list(2);
    list[0].entryName = "x.ocx";
    list[1].entryName = "y.dll";
    com::SafeArray array = orvane36::ole::ListToArray(list);
    ASSERT_TRUE(array.get());
    SendMessageA(page->window(), orvane36::kMsgNewList, 0, reinterpret_cast<LPARAM>(array.get()));
    ASSERT_EQ(control->fileList().size(), 2u) << "at once, not at Apply";
    EXPECT_EQ(control->fileList()[1].entryName, "y.dll");
    SendMessageA(page->window(), orvane36::kMsgNewList, 0, 0);
    EXPECT_TRUE(control->fileList().empty());

    SendMessageA(page->window(), orvane36::kMsgFilters, 0, MAKELONG(16 | 8, 4));
    EXPECT_TRUE(checked(IDC_OTHER_PATH));
    EXPECT_TRUE(checked(IDC_PATH_ENV));
    EXPECT_FALSE(checked(IDC_SYSTEM_DIR));
    EXPECT_TRUE(checked(IDC_EXE));
    EXPECT_FALSE(checked(IDC_OCX));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_OTHER_PATH_TEXT)));
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    SendMessageA(page->window(), orvane36::kMsgOtherPaths, 0, reinterpret_cast<LPARAM>("D:\\bin"));
    SendMessageA(page->window(), orvane36::kMsgFileFilterExt, 0, reinterpret_cast<LPARAM>("*.cpl"));
    EXPECT_EQ(text(IDC_OTHER_PATH_TEXT), "D:\\bin");
    EXPECT_EQ(text(IDC_OTHER_FILES_TEXT), "*.cpl");
    EXPECT_EQ(SendMessageA(page->window(), orvane36::kMsgListArray, 0, 0), 0);
    ASSERT_EQ(page->Apply(), S_OK);
    SHORT n = 0;
    control->get_PathFilter(&n);
    EXPECT_EQ(n, 16 | 8);
    BSTR paths = nullptr;
    control->get_OtherPaths(&paths);
    EXPECT_EQ(com::Bstr::attach(paths).view(), L"D:\\bin");
}

TEST_F(PageTest, TheOcxHandsOutControlAndPage) {
    ASSERT_FALSE(gOcxPath.empty());
    HMODULE ocx = LoadLibraryA(gOcxPath.c_str());
    ASSERT_TRUE(ocx);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    ASSERT_TRUE(getClassObject);
    for (const CLSID* clsid : {&CLSID_Orvane, &CLSID_OrvanePropPage}) {
        com::ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(*clsid, IID_IClassFactory, factory.putVoid()), S_OK);
        com::ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid()), S_OK);
        com::ComPtr<IPersist> persist = object.as<IPersist>();
        if (*clsid == CLSID_Orvane) {
            ASSERT_TRUE(persist);
            CLSID id{};
            persist->GetClassID(&id);
            EXPECT_EQ(id, CLSID_Orvane);
            com::ComPtr<IDispatch> d = object.as<IDispatch>();
            ASSERT_TRUE(d);
            // Not sited: design mode, where settings work.
            EXPECT_EQ(putProp(d.get(), 0x26, com::argShort(7)).hr, S_OK);
            EXPECT_EQ(V_I2(&getProp(d.get(), 0x26).value.get()), 7);
        } else {
            EXPECT_TRUE(object.as<IPropertyPage2>());
        }
    }
}

TEST_F(PageTest, SelectFilesDialogEditsTheListThroughThePage) {
    orvane36::FileList list(2);
    list[0].entryName = "alpha.ocx";
    list[1].entryName = "beta.dll";
    control->fileList() = list;
    activate(unknown());
    // The dialog is modal on this thread; a helper removes the first file
    // and presses OK once it shows.
    struct Helper {
        static DWORD WINAPI run(void*) {
            // Up to 30 s: on a loaded machine the dialog can be slow to come.
            for (int i = 0; i < 3000; ++i) {
                HWND dialog = FindWindowA(nullptr, "Select Files");
                // A dialog is found as soon as it exists; it is shown only
                // once its initialisation has filled the list.
                if (dialog && IsWindowVisible(dialog)) {
                    const HWND files = GetDlgItem(dialog, 1001);
                    const LRESULT count = SendMessageA(files, LB_GETCOUNT, 0, 0);
                    SendMessageA(files, LB_SETCURSEL, 0, 0);
                    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
                    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    return static_cast<DWORD>(count);
                }
                Sleep(10);
            }
            return 0;
        }
    };
    win32::Handle helper(CreateThread(nullptr, 0, &Helper::run, nullptr, 0, nullptr));
    ASSERT_TRUE(helper);
    click(IDC_SELECT_FILES);
    WaitForSingleObject(helper.get(), 40000);
    DWORD shown = 0;
    GetExitCodeThread(helper.get(), &shown);
    helper.reset();
    EXPECT_EQ(shown, 2u) << "the dialog listed the control's files";
    ASSERT_EQ(control->fileList().size(), 1u);
    EXPECT_EQ(control->fileList()[0].entryName, "beta.dll");
    EXPECT_TRUE(IsWindowEnabled(frame)) << "the frame is usable again";
}

namespace {

// Finds the property frame the control opens on this thread and the page
// inside it, notes whether the page's Delay box is ticked, and closes the
// frame with Cancel.
struct FrameDriver {
    DWORD thread = 0;
    HWND sheet = nullptr;
    HWND delayBox = nullptr;
    bool delayTicked = false;

    static BOOL CALLBACK topLevel(HWND w, LPARAM self) {
        auto* d = reinterpret_cast<FrameDriver*>(self);
        char cls[32] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (GetWindowThreadProcessId(w, nullptr) == d->thread && std::string(cls) == "#32770" && IsWindowVisible(w)) {
            d->sheet = w;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK child(HWND w, LPARAM self) {
        auto* d = reinterpret_cast<FrameDriver*>(self);
        if (GetDlgCtrlID(w) == IDC_DELAY) {
            d->delayBox = w;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI run(void* self) {
        auto* d = static_cast<FrameDriver*>(self);
        for (int i = 0; i < 300 && !d->delayBox; ++i) {
            d->sheet = nullptr;
            EnumWindows(&topLevel, reinterpret_cast<LPARAM>(d));
            if (d->sheet) EnumChildWindows(d->sheet, &child, reinterpret_cast<LPARAM>(d));
            if (!d->delayBox) Sleep(10);
        }
        if (d->delayBox) d->delayTicked = SendMessageA(d->delayBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (d->sheet) PostMessageA(d->sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return d->delayBox ? 0 : 1;
    }
};

// The page's class, as the registry would give it to the frame.
class PageClass final : public com::Object<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return com::createInstance<Page>(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

TEST_F(PageTest, ThePropertiesVerbOpensAFrameShowingThePage) {
    auto pageClass = com::make<PageClass>();
    DWORD registration = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_OrvanePropPage, pageClass->identity(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &registration),
              S_OK);
    auto design = com::make<TestSite>();
    design->setUserMode(false);
    control->SetClientSite(design.get());
    control->put_Delay(VARIANT_TRUE);
    FrameDriver driver;
    driver.thread = GetCurrentThreadId();
    win32::Handle helper(CreateThread(nullptr, 0, &FrameDriver::run, &driver, 0, nullptr));
    ASSERT_TRUE(helper);
    EXPECT_EQ(control->DoVerb(1, nullptr, nullptr, 0, frame, nullptr), S_OK);
    WaitForSingleObject(helper.get(), 10000);
    DWORD found = 1;
    GetExitCodeThread(helper.get(), &found);
    helper.reset();
    EXPECT_EQ(found, 0u) << "the frame showed the page";
    EXPECT_TRUE(driver.delayTicked) << "filled from the control the frame handed over";
    control->SetClientSite(nullptr);
    CoRevokeClassObject(registration);
}
