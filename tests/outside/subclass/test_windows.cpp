// test_windows.cpp
#include "test_windows.h"

namespace subclasstest {

namespace {

const char* const kClass = "OutsideSubclassTestWindow";

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ownProcLog().push_back({hwnd, msg});
    if (msg == WM_APP) return 7;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void registerClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = recordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

} // namespace

std::vector<Seen>& ownProcLog() {
    static std::vector<Seen> log;
    return log;
}

int ownProcCount(HWND hwnd, UINT msg) {
    int n = 0;
    for (const Seen& s : ownProcLog())
        if (s.hwnd == hwnd && s.msg == msg) ++n;
    return n;
}

HWND createRecordingWindow(DWORD style, int x, int y, int w, int h) {
    registerClass();
    return CreateWindowExA(0, kClass, "subclass test", style, x, y, w, h, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

HWND createRecordingChild(HWND parent, int x, int y, int w, int h) {
    registerClass();
    return CreateWindowExA(0, kClass, "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

} // namespace subclasstest
