// richedit_floor.cpp
// The floor a window program starts against: an empty GUI program with one
// rich-edit window holding a line of text, shown, then idle in its message
// loop. Its window has the program's caption and verse-box class, so the
// driver times it exactly as it times the verse reminder.
#include <windows.h>
#include <richedit.h>

namespace {

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    if (!LoadLibraryA("riched20.dll")) return 1;
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "RichEditFloor";
    if (!RegisterClassA(&wc)) return 1;
    HWND main = CreateWindowExA(0, wc.lpszClassName, "Pellanor 2004", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 600, 420, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    CreateWindowExA(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA,
                    "Thou wilt keep him in perfect peace, whose mind is stayed on thee.",
                    WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 8, 40, 570, 300, main, nullptr,
                    instance, nullptr);
    ShowWindow(main, show);
    UpdateWindow(main);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
