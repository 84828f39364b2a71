// ToolTips.h
// The small borderless window that shows a picture button's tip one second
// after the pointer comes to rest on it, and the module routine that shows
// and hides it.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/Window.h"
#include "common/win32/handles.h"

class ToolTipForm : public ui::Window {
public:
    bool create(HWND owner);
    // The label's text; the window sizes to it.
    void setCaption(const std::string& text);
    std::string caption() const { return m_caption; }
    void setColours(COLORREF back, COLORREF text);
    COLORREF backColour() const { return m_back; }
    COLORREF textColour() const { return m_text; }
    SIZE labelSize() const;

protected:
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::string m_caption;
    COLORREF m_back = GetSysColor(COLOR_INFOBK);
    COLORREF m_text = GetSysColor(COLOR_INFOTEXT);
    win32::Font m_font;
};

namespace ToolTips {

// The normal colours after a warning, and the warning colours.
inline constexpr COLORREF kNormalBack = 0x80FFFF;
inline constexpr COLORREF kWarningBack = 0x0000FF;
inline constexpr COLORREF kWarningText = 0xFFFFFF;

// Shows the tip of a tag text ("/text/style/") at the pointer, or hides the
// tip when text is empty. The Sleep button's tip gets the snooze minutes.
void showToolTip(ToolTipForm& form, const std::string& text);

} // namespace ToolTips
