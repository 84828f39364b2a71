// dialog_shared.cpp
#include "dialog_shared.h"

#include <richedit.h>

#include <cstring>
#include <map>

#include "pellanor/win/Module1.h"
#include "common/win32/files.h"
#include "common/win32/handles.h"
#include "dataManipulation.h"
#include "frmMain.h"

namespace dialog_shared {

namespace {

struct GdiTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
using GdiObject = win32::UniqueHandle<HGDIOBJ, GdiTraits>;

// The reference boxes' font at a size: their own face and weight. The fonts
// live as long as the program, so a box may keep one after the dialog.
HFONT referenceFont(HWND box, long size) {
    static std::map<long, GdiObject> fonts;
    auto found = fonts.find(size);
    if (found != fonts.end()) return static_cast<HFONT>(found->second.get());
    LOGFONTA lf{};
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    if (!current || GetObjectA(current, sizeof lf, &lf) != sizeof lf) {
        lf = LOGFONTA{};
        lf.lfWeight = FW_BOLD;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
        std::strcpy(lf.lfFaceName, "Arial");
    }
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    lf.lfHeight = -MulDiv(static_cast<int>(size), dpi, 72);
    lf.lfWidth = 0;
    HFONT font = CreateFontIndirectA(&lf);
    if (font) fonts.emplace(size, GdiObject(font));
    return font;
}

} // namespace

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(content.substr(start, i - start));
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.emplace_back(content.substr(start));
    return lines;
}

bool readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    if (path.empty() || !win32::readWholeFile(path, content)) return false;
    lines = splitLines(content);
    return true;
}

void setVerseFontSize(long size, bool references) {
    frmMain* main = gMainForm;
    if (!main) return;
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_SIZE;
    cf.yHeight = size * 20;
    SendMessageA(main->RichTxtVerse, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageA(main->RichTxtVerse, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    if (references)
        for (HWND box : main->txtLocation)
            if (HFONT font = box ? referenceFont(box, size) : nullptr)
                SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (main->hwnd()) {
        InvalidateRect(main->hwnd(), nullptr, TRUE);
        UpdateWindow(main->hwnd());
    }
}

} // namespace dialog_shared
