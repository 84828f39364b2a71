// OrvanePropPage.h
// The control's property page: edits the persisted settings of exactly
// one control and opens the design library's Select Files dialog, which
// reports back to the page window with the messages below. Lives while
// the host's property frame shows it.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <optional>
#include <string>

#include "common/com/object.h"
#include "common/com/ptr.h"
#include "common/ui/Dialog.h"
#include "orvane36.h"

namespace orvane36 {

class Orvane;

// Messages the Select Files dialog sends to the page window.
inline constexpr UINT kMsgListArray = WM_USER + 2;     // asks for the list as an array; answered 0
inline constexpr UINT kMsgNewList = WM_USER + 3;       // lParam: SAFEARRAY* of entries, or null
inline constexpr UINT kMsgFilters = WM_USER + 4;       // lParam: pathFilter low, fileFilter high word
inline constexpr UINT kMsgFileFilterExt = WM_USER + 5; // lParam: const char* text
inline constexpr UINT kMsgOtherPaths = WM_USER + 6;    // lParam: const char* text

inline constexpr DWORD kPageHelpContext = 1561;

class OrvanePropPage final : public com::Object<IPropertyPage2> {
public:
    OrvanePropPage() noexcept;

    // The page window (null while not active), for the Select Files
    // dialog's messages and for tests.
    HWND window() const noexcept;
    // The control being edited; null unless exactly one was given.
    Orvane* control() const noexcept { return m_object; }

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT cmd) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return m_dirty ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg) override;
    HRESULT STDMETHODCALLTYPE EditProperty(DISPID id) override;

protected:
    ~OrvanePropPage() override;

private:
    class PageDialog;
    friend class PageDialog;

    // Control to page (TransferData), with dirty marking suppressed.
    void TransferData();
    // Page controls into the page state (Apply step 2).
    void readControls();
    // Check boxes and the two edit boxes' enabled state from the state.
    void showFilters();
    // The controls for one control, or the multi-selection text.
    void showForSelection();
    void markDirty();
    void OnSelectFiles();
    void onOtherToggle(int checkId, int editId, const std::optional<std::string>& copy);
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool onCommand(int id, int code);

    std::unique_ptr<PageDialog> m_dialog;
    com::ComPtr<IPropertyPageSite> m_site;
    com::ComPtr<IOrvane> m_control;
    Orvane* m_object = nullptr;
    SHORT m_pathFilter = 0;
    SHORT m_fileFilter = 0;
    std::optional<std::string> m_fileFilterExt;
    std::optional<std::string> m_otherPaths;
    bool m_filling = false;
    bool m_dirty = false;
};

} // namespace orvane36
