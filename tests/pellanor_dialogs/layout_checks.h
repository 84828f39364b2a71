// layout_checks.h
// Measures a dialog's layout as the user sees it: whether a label's text
// fits the label in its own font, and whether two controls overlap.
#pragma once

#include <windows.h>

#include <string>

namespace layoutchecks {

// The height (pixels) the label's text takes, word-wrapped at the label's
// width in the label's font.
inline int textHeightNeeded(HWND label) {
    int n = GetWindowTextLengthA(label);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(label, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    RECT r;
    GetClientRect(label, &r);
    HDC dc = GetDC(label);
    auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    DrawTextA(dc, text.c_str(), n, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return r.bottom - r.top;
}

inline int clientHeight(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return r.bottom;
}

inline bool overlap(HWND a, HWND b) {
    RECT ra, rb, both;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return IntersectRect(&both, &ra, &rb) != FALSE;
}

inline bool inside(HWND inner, HWND outer) {
    RECT ri, ro, both;
    GetWindowRect(inner, &ri);
    GetWindowRect(outer, &ro);
    return IntersectRect(&both, &ri, &ro) && EqualRect(&both, &ri);
}

} // namespace layoutchecks
