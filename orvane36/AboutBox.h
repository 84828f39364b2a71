// AboutBox.h
// The control's About box (dialog 202, "About orvane36"): the maker's
// name, the product and version lines from the string table, and the
// notice, shown modally over the window that was active.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/ui/Dialog.h"
#include "common/win32/handles.h"

namespace orvane36 {

// The text colour of the icon and version statics (blue).
inline constexpr COLORREF kAboutAccent = RGB(0, 0, 255);

class AboutBox final : public ui::Dialog {
public:
    // Texts for the three lines, set before the box is created. A notice of
    // none keeps the template's own notice text.
    std::string productLine;
    std::string versionLine;
    std::optional<std::string> noticeLine;

    // Fills the texts from the string table (a notice string of "." keeps
    // the default notice), creates the box and runs it modally over owner.
    // IDOK or IDCANCEL as the box was closed; 0 when it could not be made.
    static INT_PTR show(HWND owner);

    AboutBox() = default;
    // The window goes before the fonts it uses.
    ~AboutBox() override { closeNow(); }

    // Creates the box hidden (the texts must be set); false on failure.
    bool create(HWND owner);

protected:
    bool OnInit() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // A font like the dialog's, in the given height, weight and slant.
    HFONT deriveFont(int controlId, LONG height, LONG weight, bool italic, win32::Font& owner) const;

    // Made once per dialog in OnInit; deleted with the object, after the
    // window that used them.
    win32::Font m_nameFont;
    win32::Font m_versionFont;
    win32::Font m_productFont;
    win32::Font m_noticeFont;
};

} // namespace orvane36
